# Player 1 fires the pistol on a small arena, narrower than a view so that all of it is in
# sight: shots fired upwards are seen in flight (green), shots fired into the floor leave
# holes that show the background, and the ammunition figure goes down.
prepare_arena 300 160
# Half speed keeps each shot in flight long enough for a screenshot to catch it.
write_ini <<'INI'
[game]
speed = 0.5
INI
start_playing
settle 1.5
before=$(shot before)
# The floor: level rows 130..159, drawn at the bottom of the views.
holes_before=$(count_colour "$before" 0 450 270 30 "30,30,90")

# Walk left (towards the left wall, or far enough from the right one), turn right and aim
# as high as the aim goes: room for the shots to fly.
hold a 2
press d
hold w 1.2
xdotool keydown Alt_L
seen=0
for i in $(seq 1 16); do
    png=$(shot "firing-$i")
    seen=$((seen + $(count_colour "$png" 0 40 318 410 "0,255,0")))
done
xdotool keyup Alt_L
[ "$seen" -gt 0 ] || fail "no shot was ever seen in flight"

hold s 2.2   # now as low as it goes: into the floor
hold Alt_L 4.5
settle 1
after=$(shot after)
holes_after=$(count_colour "$after" 0 450 270 30 "30,30,90")
[ "$holes_after" -gt "$holes_before" ] || fail "no hole shows the background ($holes_before -> $holes_after)"
ammo=$(difference "$before" "$after" 2 12 40 8)
[ "$ammo" -gt 0 ] || fail "the ammunition figure did not change"
hold Escape 0.5
expect_exit 10 "0" "exit status"
