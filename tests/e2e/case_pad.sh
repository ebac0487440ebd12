# Player 2 on a gamepad (a fake one, see pad_lib.sh), player 1 on the keyboard: the pad's
# stick walks player 2, its fire button shoots (the ammunition figure goes down), player
# 1's keys still work, the pad plays on while the console is open, and a pad that goes
# away while its stick is pushed leaves player 2 standing.
source "$(dirname "$E2E_LIB")/pad_lib.sh"
prepare_bitmaps
make_pad
write_ini <<INI
player[2].pad = 0
$(pad_ini)
INI
start_playing_with_pad
connect_pad
settle 2

# Walking is one pixel a step and climbs only one-pixel steps: a player that came to rest
# in a hollow may be stopped on both sides, so it tries both, then walks while jumping.
# View 2 follows player 2; view 1 follows player 1, who stands still. Views that show the
# same part of the level (both players near its edge) cannot tell who moved.
start=$(shot start)
pad_walk "$start" pad-walked 40 400
walked="$WORK/pad-walked.png"
[ "$moved" -gt 200 ] || fail "the pad did not move player 2 ($moved pixels changed in view 2)"
if [ "$(views_apart "$start")" -gt 0 ]; then
    still=$(difference "$start" "$walked" 0 40 318 400)
    [ "$still" -lt "$moved" ] || fail "the pad moved view 1 ($still pixels) as much as view 2 ($moved)"
fi

# Fire is button 1; the pistol's figure sits in player 2's status box.
before=$(shot before-fire)
pad_hold 1.5 0 1
settle 0.5
after=$(shot after-fire)
ammo=$(difference "$before" "$after" 323 12 40 8)
[ "$ammo" -gt 0 ] || fail "the pad's fire button did not shoot"

# Player 1's keyboard still plays.
start=$(shot keyboard-start)
moved=0
for keys in d a "space d" "space a"; do
    hold_keys 1.5 $keys
    settle 0.5
    walked=$(shot keyboard-walked)
    moved=$(difference "$start" "$walked" 0 40 318 400)
    [ "$moved" -le 200 ] || break
done
[ "$moved" -gt 200 ] || fail "player 1's keys did not move player 1 ($moved pixels changed)"

# The console takes the keyboard only: below it, view 2 still follows the pad.
hold grave 0.2
settle 0.5
# The first walk may have ended against a wall: both ways again, then walking while jumping.
typing=$(shot console-open)
pad_walk "$typing" console-walked 130 300
[ "$moved" -gt 200 ] || fail "the pad did not move player 2 while the console was open ($moved)"
hold grave 0.2
settle 0.5

# The pad goes away with its stick pushed: the game says so and player 2 stops.
set -- $move
pad_event axis 0 "$1"
[ $# -gt 1 ] && pad_event button 0 1
settle 1
disconnect_pad
settle 0.5
gone=$(shot pad-gone)
settle 1.5
later=$(shot pad-gone-later)
moved=$(difference "$gone" "$later" 321 40 318 400)
[ "$moved" -lt 200 ] || fail "player 2 walks on after its pad went away ($moved pixels changed)"
hold grave 0.2
settle 0.5
shot console-after >/dev/null
hold Escape 0.5
expect_exit 10 "0" "exit status"
