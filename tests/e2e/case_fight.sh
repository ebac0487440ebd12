# A fight on a small arena: player 1 shoots player 2 (whose health the console set to 1);
# the kill shows in the score box and in "stats". Escape ends the game while the console
# is open.
# A low arena: a short fall leaves both players able to walk (see case_pickup.sh).
prepare_arena 200 64
write_ini </dev/null
start_playing
settle 2
hold grave 0.2
settle 0.5
console_command "stats"
before=$(shot stats-before)
console_command "select 2"
console_command "player health 1"
hold grave 0.2
settle 0.5
score_before=$(shot score-before)
# Both stand on the same floor: fire one way, then turn and fire the other, until the
# score box changes (a sanitizer build runs the game slower, so no fixed time is enough).
# Both may have come down at nearly the same place, too close for a shot: between rounds
# player 1 walks a little, to the left and then back past its start.
changed=0
for round in 1 2 3 4 5; do
    for key in d a; do
        press "$key"
        hold Alt_L 2.5
        settle 0.5
        score_after=$(shot "score-after-$round-$key")
        changed=$(difference "$score_before" "$score_after" 272 452 96 8)
        [ "$changed" -eq 0 ] || break 2
    done
    if [ $((round % 2)) -eq 1 ]; then hold a 0.6; else hold d 1.2; fi
done
[ "$changed" -gt 0 ] || fail "player 1's score did not change"
unchanged=$(difference "$score_before" "$score_after" 272 462 96 8)
expect_eq "$unchanged" "0" "player 2's score"
hold grave 0.2
settle 0.5
console_command "stats"
after=$(shot stats-after)
# The newest table is the bottom of the scroll-back: its player lines differ from before.
rows=$(difference "$before" "$after" 0 90 300 18)
[ "$rows" -gt 0 ] || fail "stats did not count the kill"
hold Escape 0.5
expect_exit 10 "0" "Escape with the console open"
