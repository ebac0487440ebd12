# The rope (--rope) in a real window: player 1 digs through a roof into the hall below,
# fires the rope up at the roof's underside, is pulled up and swings, lets go and falls;
# then, at the hall's right wall, fires it into the wall and digs the wall away under the
# hook, which drops the rope. Player 1's positions before the pull and back on the floor
# after the fall are read from "player info" in the console, whose lines the game
# copies to standard error (--echo-console); in between, what he does is followed on the
# screen, by his red disc in view 1, which shows the whole arena. Each wait is for what
# the screen or the console shows rather than for a time, and keys are held until it
# shows: a loaded machine runs the game's steps late, and a short press can fall between
# two of them. The rope key acts once per press however long it is held.
#
# The arena, 300 x 240: open rows at the top where players arrive, a roof of dirt (rows 32
# to 51), the hall, a floor from row 200; walls at both sides. View 1 shows level pixel
# (x, y) at (x + 18, y + 240).
mkdir -p "$WORK/data"
convert -size 300x240 xc:'rgb(0,255,0)' -fill 'rgb(255,0,255)' \
    -draw "rectangle 0,32 299,51" -draw "rectangle 0,200 299,239" \
    -draw "rectangle 0,0 3,239" -draw "rectangle 296,0 299,239" \
    -type TrueColor BMP3:"$WORK/data/mask.bmp"
convert -size 300x240 xc:'rgb(120,80,40)' -type TrueColor BMP3:"$WORK/data/fore.bmp"
convert -size 300x240 xc:'rgb(30,30,90)' -type TrueColor BMP3:"$WORK/data/back.bmp"
write_ini </dev/null
ROPE="255,230,60"

# "x y" of the red pixels of view 1 in the hall (level rows 52 to 200), or nothing.
in_hall() {
    convert "$1" -crop 318x158+0+292 +repage -fill black +opaque "rgb(255,0,0)" \
        -fill white -opaque "rgb(255,0,0)" txt:- |
        awk -F'[,: ]+' '/#FFFFFF/ {sx += $1; sy += $2; n++}
                        END {if (n > 60) printf "%d %d\n", sx / n, sy / n}'
}
rope_pixels() { count_colour "$1" "$2" 0 318 480 "$ROPE"; }

# Takes screenshots, the keys given held meanwhile, until the check (a command, run with
# x and y of player 1 in the hall, `rope`, the rope's pixels in view 1, and SHOT set)
# succeeds; returns 1 when it has not after the seconds given, or player 1 left the hall.
N_SHOTS=0
watch_until() { # watch_until <seconds> <name> <check> [key...]
    local end=$((SECONDS + $1)) name=$2 check=$3 status=0
    shift 3
    [ $# -eq 0 ] || { focus_game; xdotool keydown "$@"; }
    while :; do
        N_SHOTS=$((N_SHOTS + 1))
        SHOT=$(shot "$name-$N_SHOTS")
        x= y=
        read -r x y <<<"$(in_hall "$SHOT")" || true
        rope=$(rope_pixels "$SHOT" 0)
        if [ -n "$y" ] && $check; then break; fi
        [ -n "$y" ] && [ $SECONDS -lt $end ] || { status=1; break; }
    done
    [ $# -eq 0 ] || xdotool keyup "$@"
    return $status
}
in_view() { true; }
# Where the hook goes, 60 degrees up to the right, meets the roof about 80 pixels to the
# right of player 1; in the hole he dug it would fly out, so he stands where it meets the
# roof at least 30 pixels to either side of the hole. Under a hole near the left wall he
# stays where he fell, unless his disc would touch the wall there (a disc held by a wall
# stays, rope or not): then he walks right until it is well clear. The hook meets the roof
# 80 pixels right of him, and the swing stays short of the right wall (walking further
# right, he swung into it and stuck there). Else he walks left, beyond the hole. He walks
# in presses that stop near the place: a walk held through a slow screenshot runs on, and
# the hook comes back towards a hole to its right.
CLEAR_OF_LEFT_WALL=50  # view 1's x of a centre 18 pixels right of one whose disc touches the wall
walk_to() {
    if [ "$hole" -lt 75 ]; then
        echo $((hole > CLEAR_OF_LEFT_WALL ? hole : CLEAR_OF_LEFT_WALL))
    else
        echo $((hole >= 150 ? (hole - 110 < 80 ? hole - 110 : 80) : hole - 35))
    fi
}
walked_away() {
    if [ "$hole" -lt 75 ]; then [ "$x" -ge "$(walk_to)" ]; else [ "$x" -le "$(walk_to)" ]; fi
}
# The key towards the place and the seconds of a press that walks him at most four fifths
# of the way there (a pixel a step, 60 a second, on a machine that keeps up), and no less
# than 0.1.
walk_key() { [ "$x" -gt "$(walk_to)" ] && echo a || echo d; }
walk_press() {
    awk -v way=$((x - $(walk_to))) 'BEGIN { if (way < 0) way = -way; t = way * 0.8 / 60
                                           printf "%.2f", t < 0.1 ? 0.1 : t }'
}
# "x y state" of player 1 from "player info", whole pixels (the console open).
info() {
    console_reply '^Player 1 \(' "player info" |
        sed -E 's/^Player 1 \(([^,]+), ([^)]+)\) \([^)]*\) [A-Za-z_]+ ([A-Za-z_]+).*/\1 \2 \3/' |
        awk '{printf "%d %d %s\n", $1, $2, $3}'
}
# Reads "player info" until the check (run with px, py and state set) succeeds; fails
# with the message after the seconds given.
info_until() { # info_until <seconds> <check> <message>
    local end=$((SECONDS + $1))
    while :; do
        read -r px py state <<<"$(info)"
        $2 && return 0
        [ $SECONDS -lt $end ] || fail "$3 (player info: $px $py $state)"
    done
}

start_playing --rope --echo-console
settle 2
# Aim straight down and dig through the roof; then fall to the floor.
hold s 1.2
focus_game; xdotool keydown Control_L
end=$((SECONDS + 20))
until read -r x y <<<"$(in_hall "$(shot roof)")" && [ -n "$y" ]; do
    [ $SECONDS -lt $end ] || { xdotool keyup Control_L; fail "player 1 did not dig into the hall"; }
done
xdotool keyup Control_L
hole=$x
settle 2
# Walk away from the hole, far enough from the walls to swing freely, and turn right.
end=$((SECONDS + 90))
until watch_until 0 walked walked_away; do
    [ -n "$y" ] || fail "player 1 left the hall"
    [ $SECONDS -lt $end ] || fail "player 1 did not walk away from the hole at $hole (x $x)"
    hold "$(walk_key)" "$(walk_press)"
done
press d
settle 0.5
watch_until 5 stood in_view || fail "player 1 left the hall"
x0=$x y0=$y
open_console
console_reply '^Selected player 1' "select 1" >/dev/null
on_the_floor() { [ "$state" = PS_Normal ]; }
info_until 10 on_the_floor "player 1 is not standing before the pull"
px0=$px py0=$py
close_console

# Aim up as far as it goes (60 degrees to the right) and fire: the hook sticks under the
# roof and the stretched line pulls player 1 up, swinging past the hook. (Reeled in, the
# swing would reach the roof, and whatever touches terrain stays there, rope or not.)
top=$y0 xmin=$x0 xmax=$x0 attached=
pulled_up_swinging() {
    # The first screenshot showing the rope: the key may not have reached the game yet.
    [ -n "$attached" ] || [ "$rope" -le 20 ] || attached=$SHOT
    top=$((y < top ? y : top)) xmin=$((x < xmin ? x : xmin)) xmax=$((x > xmax ? x : xmax))
    [ "$top" -lt $((y0 - 60)) ] && [ "$xmin" -lt "$xmax" ]
}
hold w 2.5
watch_until 10 pulled pulled_up_swinging e ||
    fail "the rope did not pull player 1 up and swing (y $y0, then up to $top; x $xmin to $xmax)"
[ -n "$attached" ] || fail "no rope drawn in view 1"
[ "$(rope_pixels "$attached" 321)" -gt 20 ] || fail "no rope drawn in view 2"
# The swing is followed on the screen, not in the console: while the console is open his
# keys do nothing, and a line that touches the floor drags him up again, each time higher,
# until he meets the roof, where he would stay.

# Let go: the rope is gone and player 1 falls back to the floor.
fell() { [ "$rope" -eq 0 ] && [ "$y" -gt $((top + 40)) ]; }
# The walk away from the right wall held meanwhile: a swing let go towards it may fling
# him against it, where a disc is held for good.
watch_until 10 let_go fell e a || fail "player 1 did not fall after letting go (y $top, then $y; rope $rope)"
open_console
back_on_the_floor() { [ "$state" = PS_Normal ] && [ "$py" -ge $((py0 - 2)) ] && [ "$py" -le $((py0 + 2)) ]; }
info_until 20 back_on_the_floor "player 1 did not come back to the floor (stood at $px0 $py0)"
close_console

# At the right wall, aiming down as far as it goes, the hook sticks in the floor beside
# player 1 (the line is slack: it stands still); digging takes the floor under the hook
# away (he sinks into his own hole, each dig reaching deeper), and the rope drops.
# Jumping as it walks, over the pit the dig left in the floor.
last_x=-1
at_right_wall() { local was=$last_x; last_x=$x; [ "$x" -gt 200 ] && [ "$x" -eq "$was" ]; }
watch_until 20 walking at_right_wall d space || fail "player 1 did not reach the right wall (x $x)"
settle 1
hold s 2.5
hooked() { [ "$rope" -gt 3 ]; }
unhooked() { [ "$rope" -eq 0 ]; }
watch_until 5 at_wall hooked e || fail "no rope into the floor"
watch_until 10 dug_away unhooked Control_L || fail "the rope stayed after its terrain was dug away"
hold Escape 0.5
expect_exit 10 "0" "exit status"
