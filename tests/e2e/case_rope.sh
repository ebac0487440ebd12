# The rope (--rope) in a real window: player 1 digs through a roof into the hall below,
# fires the rope up at the roof's underside, is pulled up and swings, lets go and falls;
# then, at the hall's right wall, fires it into the wall and digs the wall away under the
# hook, which drops the rope. Positions are those of player 1's red disc in view 1,
# which shows the whole arena (the console's "player info" is on the screen only).
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

start_playing --rope
settle 2
# Aim straight down and dig through the roof.
hold s 1.2
hold Control_L 3.5
settle 2
read -r x0 y0 <<<"$(in_hall "$(shot floor)")" || true
[ -n "${y0:-}" ] || fail "player 1 did not get through the roof into the hall"
# Walk to about x = 60 (a pixel a step), far enough from the right wall to swing freely.
if [ "$x0" -gt 80 ]; then
    hold a "$(awk -v x="$x0" 'BEGIN {print (x - 78) / 60}')"
    settle 0.5
    read -r x0 y0 <<<"$(in_hall "$(shot walked)")" || true
fi

# Aim up (60 degrees, to the right) and fire: the hook sticks under the roof and the
# stretched line pulls player 1 up, swinging past the hook. (Reeled in, the swing would
# reach the roof, and whatever touches terrain stays there, rope or not.)
hold w 1.5
press e
settle 0.5
a=$(shot pulled)
read -r x1 y1 <<<"$(in_hall "$a")" || true
settle 0.4
b=$(shot swinging)
read -r x2 y2 <<<"$(in_hall "$b")" || true
[ -n "${y1:-}" ] && [ -n "${y2:-}" ] || fail "player 1 left the hall on the rope"
top=$((y1 < y2 ? y1 : y2))
[ "$top" -lt $((y0 - 60)) ] || fail "the rope did not pull player 1 up (y $y0, then $y1, $y2)"
[ "$x1" != "$x2" ] || fail "player 1 hangs still instead of swinging (x $x1, $x2)"
[ "$(rope_pixels "$a" 0)" -gt 20 ] || fail "no rope drawn in view 1"
[ "$(rope_pixels "$a" 321)" -gt 20 ] || fail "no rope drawn in view 2"

# Let go: the rope is gone and player 1 falls back to the floor.
press e
settle 2
c=$(shot let_go)
read -r x3 y3 <<<"$(in_hall "$c")" || true
[ -n "${y3:-}" ] || fail "player 1 is not in the hall after letting go"
[ "$y3" -gt $((top + 40)) ] || fail "player 1 did not fall after letting go (y $top, then $y3)"
expect_eq "$(rope_pixels "$c" 0)" "0" "rope pixels after letting go"

# At the right wall, aiming about level, the hook sticks in the wall beside player 1 (the
# line is slack: it stands still); digging sideways takes the wall under the hook away,
# and the rope drops.
# Jumping as it walks, over the pit the dig left in the floor.
hold_keys 5 d space
settle 1
hold s 0.55
press e
settle 0.5
d=$(shot at_wall)
[ "$(rope_pixels "$d" 0)" -gt 3 ] || fail "no rope into the wall"
hold Control_L 0.5
settle 0.5
e=$(shot dug_away)
expect_eq "$(rope_pixels "$e" 0)" "0" "rope pixels after its terrain was dug away"
hold Escape 0.5
expect_eq "$(wait_exit 10)" "0" "exit status"
