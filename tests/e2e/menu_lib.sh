# Helpers of the menu's cases: whether a screenshot shows the menu (its title's yellow at
# the top of the picture), and waiting for it.
menu_shown() { [ "$(count_colour "$1" 0 0 640 70 255,230,60)" -gt 200 ]; }
# wait_menu [name]: the last shot is $WORK/<name>.png.
wait_menu() {
    local i png
    for i in $(seq 1 60); do
        png=$(shot "${1:-menu}")
        menu_shown "$png" && return 0
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended instead of showing the menu"
        sleep 0.5
    done
    fail "no menu on the screen"
}
# The yellow of a reason under the entries.
menu_note_shown() { [ "$(count_colour "$1" 0 410 640 16 255,230,60)" -gt 50 ]; }
