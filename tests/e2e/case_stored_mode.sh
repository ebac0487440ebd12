# A stored working mode: no dialog, the game starts on the default level, Escape ends it
# with status 0 and the stored mode is written back unchanged.
prepare_bitmaps
write_ini </dev/null
start_playing
png=$(shot started)
# The game's frame, not the mode dialog: black divider columns between the views.
expect_eq "$(pixel "$png" 319 200)" "0,0,0" "divider column 319"
expect_eq "$(pixel "$png" 320 300)" "0,0,0" "divider column 320"
expect_eq "$(pixel "$png" 271 451)" "32,32,32" "score box"
hold Escape 0.5
expect_eq "$(wait_exit 10)" "0" "exit status"
expect_file data/map.lvl
grep -Eq '^width *= *640' vorlin.ini || fail "width not written back"
grep -Eq '^height *= *480' vorlin.ini || fail "height not written back"
grep -Eq '^depth *= *32' vorlin.ini || fail "depth not written back"
# The bindings were read, not written again.
expect_eq "$(grep -c '^player\[' vorlin.ini)" "16" "player bindings"
