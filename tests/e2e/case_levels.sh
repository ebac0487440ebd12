# A level of the levels folder: `--level NAME` plays it (its colours fill the view), and
# vorlin-arena builds a folder's level file as the game does; a joiner that lacks the
# host's level receives it, keeps it in its levels/ and plays it in step with the host:
# both recordings verify, the joiner's on the level it received.
ARENA_BIN=$(dirname "$VORLIN_BIN")/vorlin-arena
source "$(dirname "$E2E_LIB")/two_sides_lib.sh"
GREEN=20,140,60

mkdir -p "$ROOT/host" "$ROOT/joiner"
WORK=$ROOT/host
prepare_arena 320 160
mkdir -p "$WORK/levels/meadow"
cp "$WORK/data/"*.bmp "$WORK/levels/meadow/"
convert -size 320x160 xc:"rgb($GREEN)" -type TrueColor BMP3:"$WORK/levels/meadow/back.bmp"
write_ini </dev/null
cp -r "$ROOT/host/data" "$ROOT/host/vorlin.ini" "$ROOT/joiner/"

start_playing --level meadow
settle 1
meadow=$(shot meadow)
[ "$(count_colour "$meadow" 0 330 318 100 "$GREEN")" -gt 5000 ] || fail "the view does not show the level meadow"
expect_file "$WORK/levels/meadow/map.lvl"
expect_file "$WORK/levels/meadow/thumb.bmp"
hold Escape 0.3
expect_exit 10 "0" "exit status of the game on meadow"

# The arena builds a level folder's file from its bitmaps as the game does, byte for byte.
mkdir -p "$WORK/levels/heath"
cp "$WORK/levels/meadow/"{mask,fore,back}.bmp "$WORK/levels/heath/"
( cd "$WORK" && "$ARENA_BIN" --players idle,idle --seconds 1 --level heath >/dev/null ) || fail "the arena did not play heath"
cmp -s "$WORK/levels/heath/map.lvl" "$WORK/levels/meadow/map.lvl" || fail "the arena built heath unlike the game built meadow"

# A level named on the command line needs no default level in data/.
mkdir -p "$ROOT/bare/levels"
cp -r "$WORK/levels/meadow" "$ROOT/bare/levels/"
cp "$WORK/vorlin.ini" "$ROOT/bare/"
WORK=$ROOT/bare
start_playing --level meadow
settle 1
[ "$(count_colour "$(shot bare)" 0 330 318 100 "$GREEN")" -gt 5000 ] || fail "without data/ the view does not show meadow"
hold Escape 0.3
expect_exit 10 "0" "exit status of the game on meadow without data/"
WORK=$ROOT/host

( cd "$WORK" && "$VORLIN_BIN" --level nowhere >"$WORK/missing.log" 2>&1 ) &
GAME_PID=$!
dismiss_message "there is no level nowhere in levels/"
expect_exit 10 "0" "exit status of a missing level"


use host
start_game --host "$PORT" --level meadow --record game.rpl
wait_window
use joiner
start_game --join "127.0.0.1:$PORT" --record game.rpl
wait_window
wait_game_frame
use host
wait_game_frame
use joiner
settle 1
joined=$(shot joined)
[ "$(count_colour "$joined" 0 330 318 100 "$GREEN")" -gt 5000 ] || fail "the joiner does not play meadow"
cmp -s "$ROOT/host/levels/meadow/map.lvl" "$ROOT/joiner/levels/meadow/map.lvl" ||
    fail "the joiner did not keep the host's level"

quit_both
verify_both game.rpl
