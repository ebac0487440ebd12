# The front end's window on a desktop that holds two of its pictures each way: the menu
# takes factor 2 by itself, and shows its 640x480 picture with every pixel doubled (the
# window sampled down to half is the factor-1 window of the same screen, pixel for pixel).
source "$(dirname "$E2E_LIB")/menu_lib.sh"
prepare_arena 240 160

# This case's display (1024x768) holds factor 1 only.
start_game --menu
wait_window
wait_menu small
press Escape
expect_exit 10 "0" "exit status at factor 1"
expect_eq "$(identify -format %wx%h small.png)" "640x480" "the window at factor 1"
rm -f vorlin.ini

Xvfb -displayfd 5 -screen 0 1600x1200x24 -nolisten tcp -noreset 5>"$WORK/display" 2>/dev/null &
XVFB2=$!
trap 'kill $XVFB2 2>/dev/null || true' EXIT
for i in $(seq 1 50); do [ -s "$WORK/display" ] && break; sleep 0.1; done
[ -s "$WORK/display" ] || fail "the large X server did not start"
export DISPLAY=":$(cat "$WORK/display")"
start_game --menu
wait_window
# The menu's title, enlarged, still reaches into the top rows menu_shown looks at.
wait_menu large
expect_eq "$(identify -format %wx%h large.png)" "1280x960" "the window at the factor it chose"
convert large.png -sample 50% halved.png
expect_eq "$(difference small.png halved.png 0 0 640 480)" "0" "pixels of the halved window unlike factor 1"
press Escape
expect_exit 10 "0" "exit status at factor 2"
