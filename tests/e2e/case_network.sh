# Two real games on this machine over the network, each in a virtual display of its own:
# the host waits and gives up with Escape; then keys typed into the joiner's window move
# its player in both windows, "quit" typed into the host's console ends both games (the
# joiner says why) and both recordings verify; a host whose opponent is killed ends by
# itself with its message.
ARENA_BIN=$(dirname "$VORLIN_BIN")/vorlin-arena
source "$(dirname "$E2E_LIB")/two_sides_lib.sh"

# The same arena and keys on both sides.
mkdir -p "$ROOT/host" "$ROOT/joiner" "$ROOT/tmp"
WORK=$ROOT/host
prepare_arena 320 120
write_ini </dev/null
cp -r "$ROOT/host/data" "$ROOT/host/vorlin.ini" "$ROOT/joiner/"

# Both games started, in play.
start_both() {
    use host
    TMPDIR=$ROOT/tmp start_game --host "$PORT" "$@"
    wait_window
    use joiner
    TMPDIR=$ROOT/tmp start_game --join "127.0.0.1:$PORT" "$@"
    wait_window
    wait_game_frame
    use host
    wait_game_frame
}

use host
start_game --host "$PORT"
wait_window
settle 2
waiting=$(shot waiting)
[ "$(count_colour "$waiting" 0 0 640 200 "255,255,255")" -gt 300 ] ||
    fail "no console text while waiting for the other player"
hold Escape 0.3
expect_exit 10 "0" "exit status of a host that gave up"

start_both --record game.rpl
# A few steps left first: the clock's seed may put the joiner's player against the right
# wall, where the walk right below would not move it.
use joiner
hold a 0.6
settle 1
use host; before_host=$(shot before)
use joiner; before_joiner=$(shot before)
# Walking climbs only one-pixel steps: a player that came to rest a pixel deeper may not
# walk at all, and walks while it jumps (in the air every step goes sideways). The shots
# wait for a jump to come down.
for keys in d "space d"; do
    hold_keys 1.5 $keys
    settle 2
    after_joiner=$(shot after)
    moved=$(difference "$(players "$before_joiner")" "$(players "$after_joiner")" 0 0 318 200)
    [ "$moved" -le 50 ] || break
done
use host; after_host=$(shot after)
[ "$moved" -gt 50 ] || fail "the joiner's player did not move in its window ($moved pixels)"
moved=$(difference "$(players "$before_host")" "$(players "$after_host")" 0 0 318 200)
[ "$moved" -gt 50 ] || fail "the joiner's move did not show in the host's window ($moved pixels)"
expect_eq "$(difference "$(players "$after_host")" "$(players "$after_joiner")" 0 0 318 200)" "0" \
    "players' places in the two windows"

quit_both
verify_both game.rpl
expect_eq "$(ls "$ROOT/tmp")" "" "scratch replays left behind"

# The joiner vanishes without a word: the host notices within its 10 s of silence.
start_both
use joiner
kill -9 "$GAME_PID"
GAME_PID=""
use host
for i in $(seq 1 150); do pgrep -x xmessage >/dev/null && break; sleep 0.1; done
dismiss_message "other player"
expect_exit 5 "0" "exit status of the host whose opponent vanished"
