# Cancelling the mode dialog on a first run: "No graphics mode selected", status 0, no
# level file, and vorlin.ini written with the controls but without a graphics section.
prepare_bitmaps
start_game
wait_window
settle 2
press Escape
settle 1
# The message box (xmessage under X11) waits to be dismissed.
for i in $(seq 1 50); do pgrep -a xmessage >/dev/null && break; sleep 0.1; done
pgrep -a xmessage | grep -q "No graphics mode selected" || fail "no 'No graphics mode selected' message"
wait_window "xmessage"
msg=$(shot message)
press Return
expect_exit 10 "0" "exit status"
expect_no_file data/map.lvl
expect_file vorlin.ini
grep -q '^\[controls\]' vorlin.ini || fail "controls not written"
if grep -q '^\[graphics\]' vorlin.ini; then fail "graphics written after a cancelled dialog"; fi
