# A stored working mode: no dialog, the game starts on the default level and Escape ends
# it with status 0. Afterwards "vorlin.ini" holds what only the game writes: the mode it
# set, stored back in its own form, while a binding changed by hand stays as it was (the
# default bindings belong to a first run only).
prepare_bitmaps
DEPTH=032 WIDTH=0640 HEIGHT=0480 write_ini </dev/null
sed -i -e 's/^player\[1\]\.up = 23$/player[1].up = 17/' vorlin.ini
start_playing
png=$(shot started)
# The game's frame, not the mode dialog: black divider columns between the views.
expect_eq "$(pixel "$png" 319 200)" "0,0,0" "divider column 319"
expect_eq "$(pixel "$png" 320 300)" "0,0,0" "divider column 320"
expect_eq "$(pixel "$png" 271 451)" "32,32,32" "score box"
hold Escape 0.5
expect_exit 10 "0" "exit status"
expect_file data/map.lvl
expect_eq "$(grep -E '^(card|depth|width|height) =' vorlin.ini | paste -sd ' ')" \
    "card = XWIN depth = 32 width = 640 height = 480" "graphics section written back"
expect_eq "$(grep -E '^player\[1\]\.up =' vorlin.ini)" "player[1].up = 17" "binding changed by hand"
