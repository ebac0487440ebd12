# Pads the settings name but the machine lacks: each leaves the affected actions unbound
# (the console says which) and the game plays on. First a pad with one axis and one
# button for player 2 while player 1 asks for a second pad; then no device at all.
source "$(dirname "$E2E_LIB")/pad_lib.sh"
prepare_bitmaps
make_pad
write_ini <<INI
player[1].pad = 1
player[2].pad = 0
$(pad_ini)
INI
PAD_AXES=1 PAD_BUTTONS=1 start_playing_with_pad
connect_pad
settle 2
# Walking needs only the first axis; jumping (button 0) is still there too.
start=$(shot start)
pad_walk "$start" pad-walked 40 400
[ "$moved" -gt 200 ] || fail "a one-axis pad did not walk player 2 ($moved pixels changed)"
# A flood of random records (a pipe's, not a kernel's): whatever they press, the game
# plays on. Less than the pipe holds, so the writer never waits for the game.
head -c 16384 /dev/urandom >&3
settle 2
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended on random pad records"
hold grave 0.2
settle 0.5
shot console-small-pad >/dev/null
hold Escape 0.5
expect_exit 10 "0" "exit status with a small pad"
disconnect_pad

rm -f "$PAD_PIPE"
write_ini <<INI
player[2].pad = 0
$(pad_ini)
INI
start_playing_with_pad
settle 1
hold grave 0.2
settle 0.5
shot console-no-pad >/dev/null
hold grave 0.2
hold Escape 0.5
expect_exit 10 "0" "exit status without the pad"
