# Two computer players fight on their own: with no key pressed both views change, the
# recorded game verifies with vorlin-arena; a player number the game does not have is a
# usage error.
ARENA_BIN=$(dirname "$VORLIN_BIN")/vorlin-arena
prepare_bitmaps
write_ini </dev/null
start_playing --bots --skill hard --record bots.rpl
settle 1
first=$(shot first)
settle 5
later=$(shot later)
# Each view is 319 x 448 with its player's bars at the top. A bot shows in its view by
# walking (the view scrolls) or by aiming and firing (aim line, shots, both players' bars):
# bots that start near each other fight where they stand. Idle players change nothing.
left=$(difference "$first" "$later" 0 0 319 448)
right=$(difference "$first" "$later" 321 0 319 448)
[ "$left" -gt 60 ] || fail "player 1's view hardly changed ($left pixels)"
[ "$right" -gt 60 ] || fail "player 2's view hardly changed ($right pixels)"
hold Escape 0.5
expect_exit 10 "0" "exit status of the bots' game"

verdict=$(cd "$WORK" && "$ARENA_BIN" --replay bots.rpl --verify) || fail "arena: $verdict"
echo "$verdict" | grep -qE '^ok [0-9]+ steps [0-9a-f]{16}$' || fail "arena said: $verdict"

status=0
( cd "$WORK" && "$VORLIN_BIN" --bot 3 2>"$WORK/usage.log" ) || status=$?
expect_eq "$status" "2" "exit status of --bot 3"
expect_grep "Usage: vorlin" "$WORK/usage.log"
