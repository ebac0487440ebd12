# Weapons drop into the level and are picked up: at "speed" 4 a weapon falls about every
# two and a half seconds; player 1 walks to and fro over the small arena's floor and takes
# what lies there. Any pickup shows in the status box: a merged pistol raises the
# ammunition, a new weapon shows its name after the weapon key.
# The arena is low: players and weapons come down from near the top onto a floor a few
# pixels below. A long fall at a high speed ends in a step that carries the player several
# pixels into the ground, where it cannot walk.
prepare_arena 200 64
write_ini <<'INI'
[game]
speed = 4
INI
start_playing
start=$(shot start)
changed=0
for round in 1 2 3 4 5 6 7 8; do
    hold a 3
    hold d 3
    press Tab
    settle 0.5
    after=$(shot "after-$round")
    changed=$(difference "$start" "$after" 2 2 98 28)
    [ "$changed" -eq 0 ] || break
done
[ "$changed" -gt 0 ] || fail "player 1's status box never changed: no weapon taken"
hold Escape 0.5
expect_exit 10 "0" "exit status"
