# Weapons drop into the level and are picked up: at "speed" 10 a weapon falls about once a
# second; player 1 walks to and fro over the small arena's floor and takes what lies
# there. Any pickup shows in the status box: a merged pistol raises the ammunition, a new
# weapon shows its name after the weapon key.
prepare_arena 200 160
write_ini <<'INI'
[game]
speed = 10
INI
start_game
wait_window
wait_game_frame
start=$(shot start)
for round in 1 2 3 4; do
    hold a 3
    hold d 3
done
press Tab
settle 0.5
after=$(shot after)
changed=$(difference "$start" "$after" 2 2 98 28)
[ "$changed" -gt 0 ] || fail "player 1's status box never changed: no weapon taken"
hold Escape 0.5
expect_eq "$(wait_exit 10)" "0" "exit status"
