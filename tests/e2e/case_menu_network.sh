# Two menus on two virtual displays: one hosts (its window shows what it waits for and
# this machine's address), the other, which remembers no address, joins by typing
# 127.0.0.1 and the port into its Address entry, and remembers it; both play; the joiner
# leaves with Escape and is back in its menu, the host is back in its menu saying that
# the other player left; a host that is gone is reported in the joiner's menu (which
# connects to its remembered address); both quit with status 0.
source "$(dirname "$E2E_LIB")/menu_lib.sh"
source "$(dirname "$E2E_LIB")/two_sides_lib.sh"

mkdir -p "$ROOT/host" "$ROOT/joiner" "$ROOT/tmp"
WORK=$ROOT/host
prepare_arena 320 120
printf '[menu]\nport = %s\n' "$PORT" | write_ini
cp -r "$ROOT/host/data" "$ROOT/joiner/"
WORK=$ROOT/joiner
printf '[menu]\n' | write_ini

use host
TMPDIR=$ROOT/tmp start_game --menu
wait_window
wait_menu
press Down Down Down Return Return
settle 2
waiting=$(shot host-waiting)
menu_shown "$waiting" && fail "the host did not start waiting"
[ "$(count_colour "$waiting" 0 0 640 120 255,255,255)" -gt 300 ] || fail "no text while the host waits"

use joiner
TMPDIR=$ROOT/tmp start_game --menu
wait_window
wait_menu
press Down Down Down Down Return
wait_menu join
# Without an address the Address entry is the one chosen; Return starts the typing, seen
# before a key of it is sent: the line of keys at the bottom becomes the typing's hint.
press Return
typing=""
for i in $(seq 1 40); do
    png=$(shot typing)
    [ "$(difference "$WORK/join.png" "$png" 0 440 640 30)" -gt 0 ] && { typing=$png; break; }
    sleep 0.5
done
[ -n "$typing" ] || fail "Return on the Address entry did not start the typing"
type_text "127.0.0.1:$PORT"
press Return
settle 0.5
shot typed >/dev/null
press Down Return
wait_game_frame
use host
wait_game_frame
grep -q "^address_1 = 127.0.0.1:$PORT\$" "$ROOT/joiner/vorlin.ini" ||
    fail "the address typed was not stored"

use joiner
hold Escape 0.5
wait_menu joiner-back
use host
wait_menu host-back
left=""
for i in $(seq 1 20); do
    png=$(shot host-told)
    menu_note_shown "$png" && { left=$png; break; }
    sleep 0.5
done
[ -n "$left" ] || fail "the host's menu does not say why the game ended"
pgrep -x xmessage >/dev/null && fail "a message box opened"
press Escape Escape Escape
expect_exit 10 "0" "exit status of the host"
# With the host gone, Connect again (the join screen is where the game came back to):
# the connecting gives up after its 10 s and says why in its menu.
use joiner
press Return
settle 1
connecting=$(shot connecting)
menu_shown "$connecting" && fail "the joiner did not try to connect"
told=""
for i in $(seq 1 40); do
    png=$(shot joiner-told)
    if menu_shown "$png" && menu_note_shown "$png"; then
        told=$png
        break
    fi
    kill -0 "$GAME_PID" 2>/dev/null || fail "the joiner ended when the host did not answer"
    sleep 0.5
done
[ -n "$told" ] || fail "the joiner's menu does not say that the host did not answer"
press Escape Escape Escape
expect_exit 10 "0" "exit status of the joiner"
grep -q "^address_1 = 127.0.0.1:$PORT\$" "$ROOT/joiner/vorlin.ini" || fail "the joiner forgot the address"
expect_eq "$(ls "$ROOT/tmp")" "" "scratch replays left behind"
