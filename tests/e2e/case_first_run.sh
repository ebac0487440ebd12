# First run without vorlin.ini: the safe 640x480 mode shows the mode dialog; accepting a
# mode starts the game; after Escape the file holds the 17 controls and the chosen mode.
prepare_bitmaps
start_game
wait_window
settle 2
shot dialog >/dev/null
# In the dialog: "Auto windowed" in the driver list, then 640x480 in the size list.
press Down Down Tab Down Down Down
shot chosen >/dev/null
press Return
settle 2
# The chosen mode opens a new window.
wait_window
settle 3
wait_game_frame
game=$(shot game)
hold Escape 0.5
expect_exit 10 "0" "exit status"
expect_file vorlin.ini
for k in 'player\[1\]\.up = 23' 'player\[1\]\.fire = 119' 'player\[1\]\.weapon = 64' \
         'player\[2\]\.jump = 41' 'player\[2\]\.weapon = 86' 'console = 60'; do
    grep -Eq "^$k\$" vorlin.ini || fail "vorlin.ini lacks $k"
done
expect_eq "$(grep -c '^player\[' vorlin.ini)" "16" "player bindings"
grep -q '^\[graphics\]' vorlin.ini || fail "no graphics section"
expect_eq "$(grep -E '^width = ' vorlin.ini)" "width = 640" "stored width"
expect_eq "$(grep -E '^height = ' vorlin.ini)" "height = 480" "stored height"
grep -Eq '^card = ' vorlin.ini || fail "card not stored"
grep -Eq '^depth = (15|16|24|32)$' vorlin.ini || fail "depth not stored"
expect_file data/map.lvl
