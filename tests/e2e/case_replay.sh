# A game recorded with --record by keys typed as a player would (console commands among
# them) verifies with vorlin-arena and plays back with --replay to the same score box; a
# file that is no replay is a failed start, a wrong option a usage error.
ARENA_BIN=$(dirname "$VORLIN_BIN")/vorlin-arena
prepare_arena 200 64
write_ini </dev/null
start_playing --record game.rpl
settle 2
hold grave 0.2
settle 0.5
console_command "select 2"
console_command "player health 1"
hold grave 0.2
settle 0.5
for key in d a d; do
    press "$key"
    hold Alt_L 2
done
hold_keys 0.5 Left KP_0
settle 0.5
recorded=$(shot recorded)
hold Escape 0.5
expect_exit 10 "0" "exit status of the recorded game"
expect_file "$WORK/game.rpl"

verdict=$(cd "$WORK" && "$ARENA_BIN" --replay game.rpl --verify) || fail "arena: $verdict"
echo "$verdict" | grep -qE '^ok [0-9]+ steps [0-9a-f]{16}$' || fail "arena said: $verdict"

# Watched four times as fast, the game ends on the recorded score box and waits for a key.
start_playing --replay game.rpl
press f
steps=$(echo "$verdict" | cut -d' ' -f2)
settle $((steps / 240 + 3))
watched=$(shot watched)
expect_eq "$(difference "$recorded" "$watched" 272 452 96 18)" "0" "score box after the replay"
kill -0 "$GAME_PID" 2>/dev/null || fail "the replay did not wait for a key at its end"
press x
expect_exit 10 "0" "exit status after watching"

echo "not a replay" > "$WORK/bad.rpl"
start_game --replay bad.rpl
dismiss_message "Unable to play bad.rpl: not a replay file"
expect_exit 10 "0" "exit status of a failed start"

status=0
( cd "$WORK" && "$VORLIN_BIN" --recrod x.rpl 2>"$WORK/usage.log" ) || status=$?
expect_eq "$status" "2" "exit status of an unknown option"
expect_grep "unknown option --recrod" "$WORK/usage.log"
