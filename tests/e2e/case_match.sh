# A match to one kill: the hard computer player 2 beats an idle player 1, the results
# screen names the winner, Return plays the same match again from 0:0, Escape ends; both
# matches' replays lie in replays/ and verify, ending at the step the match ended.
ARENA_BIN=$(dirname "$VORLIN_BIN")/vorlin-arena
prepare_arena 240 160
write_ini </dev/null
start_playing --bot --skill hard --kills 1
start=$(shot start)

# The results panel (640 x 480: 320 x 216 at 160,132) has its title in yellow at the top.
results=""
for i in $(seq 1 90); do
    png=$(shot waiting)
    if [ "$(count_colour "$png" 160 142 320 16 255,255,0)" -gt 50 ]; then results=$png; break; fi
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended before the match did"
    sleep 0.5
done
[ -n "$results" ] || fail "no results screen within 45 s"
cp "$results" "$WORK/results.png"
# The winner's column is headed in yellow, the other in cyan.
[ "$(count_colour "$results" 406 176 64 8 255,255,0)" -gt 20 ] || fail "player 2 is not named the winner"
expect_eq "$(count_colour "$results" 316 176 64 8 255,255,0)" "0" "yellow in player 1's heading"
[ "$(count_colour "$results" 316 176 64 8 0,255,255)" -gt 20 ] || fail "player 1's heading is not cyan"

press Return
settle 2
again=$(shot again)
expect_eq "$(count_colour "$again" 160 142 320 16 255,255,0)" "0" "results left after Return"
# The score box of the new match reads as at the start: 0 of 1 for both.
expect_eq "$(difference "$start" "$again" 266 450 108 30)" "0" "score box after the rematch"
hold Escape 0.5
expect_exit 10 "0" "exit status after the rematch"
expect_grep "^player 2 wins kills 1 " "$WORK/stdout.log"
expect_grep "^player 1 loses kills 0 deaths 1 " "$WORK/stdout.log"

replays=( "$WORK"/replays/*.rpl )
expect_eq "${#replays[@]}" "2" "replays of the two matches"
verdict=$(cd "$WORK" && "$ARENA_BIN" --replay "${replays[0]}" --verify) || fail "arena: $verdict"
steps=$(echo "$verdict" | sed -n 's/^ok \([0-9]*\) steps [0-9a-f]*$/\1/p')
[ -n "$steps" ] || fail "arena said: $verdict"
echo "$verdict" | grep -qx "winner player 2 at step $steps" || fail "the replay ended otherwise: $verdict"
