# Two sides of a network game on this machine, each in a virtual display and a folder of
# its own ($ROOT/host, $ROOT/joiner): the host's display is the case's, the joiner's a
# second X server, gone with the case. `use host|joiner` makes the helpers of lib.sh act
# on that side's game, display and folder. Sets ROOT and PORT (a random UDP port).
ROOT=$WORK
PORT=$((20000 + RANDOM % 20000))

Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 5>"$ROOT/display" 2>/dev/null &
XVFB2=$!
trap 'kill $XVFB2 2>/dev/null || true' EXIT
for i in $(seq 1 50); do [ -s "$ROOT/display" ] && break; sleep 0.1; done
[ -s "$ROOT/display" ] || fail "the second X server did not start"
host_DISPLAY=$DISPLAY
joiner_DISPLAY=":$(cat "$ROOT/display")"
host_PID="" host_WINDOW="" joiner_PID="" joiner_WINDOW=""
SIDE=host

use() {
    eval "${SIDE}_PID=\$GAME_PID ${SIDE}_WINDOW=\$GAME_WINDOW"
    SIDE=$1
    eval "GAME_PID=\$${1}_PID GAME_WINDOW=\$${1}_WINDOW"
    eval "export DISPLAY=\$${1}_DISPLAY"
    WORK=$ROOT/$1
}

# "quit" typed into the host's console ends both games; the joiner says why.
quit_both() {
    use host
    hold grave 0.2
    settle 0.5
    console_command "quit"
    expect_exit 10 "0" "exit status of the host that quit"
    use joiner
    dismiss_message "The other player left the game"
    expect_exit 10 "0" "exit status of the joiner"
}

# Both sides' recording FILE verifies with the arena.
verify_both() {
    local side verdict
    for side in host joiner; do
        verdict=$(cd "$ROOT/$side" && "$ARENA_BIN" --replay "$1" --verify) ||
            fail "$side's replay: $verdict"
        echo "$verdict" | grep -qE '^ok [0-9]+ steps [0-9a-f]{16}$' || fail "$side: arena said: $verdict"
    done
}

# Where the players stand in a screenshot of a game on an arena of 320x120: the red
# pixels of view 1 (which shows the whole arena) as a mask.
players() {
    convert "$1" -crop 318x200+0+280 +repage -fill black +opaque "rgb(255,0,0)" \
        -fill white -opaque "rgb(255,0,0)" "$1.players.png"
    echo "$1.players.png"
}
