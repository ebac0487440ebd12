# Helpers of the end-to-end cases: start the real game in $WORK under the virtual display,
# send keys with xdotool, take screenshots and read their pixels.
# Every case runs with `set -euo pipefail` and ends by calling nothing: run_case.sh calls
# e2e_pass after the case script returns.
set -euo pipefail

GAME_PID=""
GAME_WINDOW=""

fail() {
    echo "FAIL: $*" >&2
    [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
    shot "failure" 2>/dev/null || true
    echo "logs and screenshots kept in $WORK" >&2
    for f in "$WORK"/stdout.log "$WORK"/stderr.log; do
        [ -s "$f" ] && { echo "--- $f"; tail -n 40 "$f"; } >&2
    done
    exit 1
}

e2e_pass() {
    [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
    echo "PASS"
}

# The default level's bitmaps in $WORK/data.
prepare_bitmaps() {
    mkdir -p "$WORK/data"
    "$LEVELGEN_BIN" "$WORK/data" >/dev/null || fail "levelgen failed"
}

# A configuration with a stored windowed 640x480 mode, so that no dialog appears.
# Extra lines (sections and keys) can follow on standard input.
write_ini() {
    {
        echo "[graphics]"
        echo "card = XWIN"
        echo "depth = ${DEPTH:-24}"
        echo "width = ${WIDTH:-640}"
        echo "height = ${HEIGHT:-480}"
        cat
    } > "$WORK/vorlin.ini"
}

# Starts the game in $WORK in the background.
start_game() {
    ( cd "$WORK" && exec "$VORLIN_BIN" "$@" >"$WORK/stdout.log" 2>"$WORK/stderr.log" ) &
    GAME_PID=$!
}

# Waits until a window whose name matches $1 is mapped; sets GAME_WINDOW.
wait_window() {
    local pattern=${1:-Vorlin} i
    for i in $(seq 1 100); do
        GAME_WINDOW=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1 || true)
        [ -n "$GAME_WINDOW" ] && return 0
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended before its window appeared"
        sleep 0.1
    done
    fail "no window named $pattern appeared"
}

# Gives the game time to reach its loop (the first frames after loading).
settle() { sleep "${1:-1}"; }

# Waits for the game to end and prints its exit status; fails after $1 seconds.
wait_exit() {
    local limit=${1:-20} i status
    for i in $(seq 1 $((limit * 10))); do
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            status=0
            wait "$GAME_PID" || status=$?
            GAME_PID=""
            echo "$status"
            return 0
        fi
        sleep 0.1
    done
    fail "the game did not end within $limit s"
}

# Key presses go to the focused game window.
press() { xdotool key --clearmodifiers --delay 60 "$@"; }
hold() { # hold <key> <seconds>
    xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"
}
type_text() { xdotool type --delay 80 "$1"; }

# Screenshot of the game window (or the whole screen without one) as $WORK/<name>.png.
shot() {
    local out="$WORK/$1.png"
    if [ -n "$GAME_WINDOW" ] && xdotool getwindowname "$GAME_WINDOW" >/dev/null 2>&1; then
        import -silent -window "$GAME_WINDOW" "$out"
    else
        xwd -root -silent | convert xwd:- "$out"
    fi
    echo "$out"
}

# pixel <png> <x> <y> -> "r,g,b"
pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# Number of pixels of the exact colour r,g,b in a rectangle: count <png> <x> <y> <w> <h> <r,g,b>
count_colour() {
    local png=$1 x=$2 y=$3 w=$4 h=$5 rgb=$6
    convert "$png" -crop "${w}x${h}+${x}+${y}" +repage -fill black +opaque "rgb($rgb)" \
        -fill white -opaque "rgb($rgb)" -format "%[fx:int(mean*w*h+0.5)]" info:
}

# Mean absolute difference of two screenshots in a rectangle, 0..255.
difference() {
    local a=$1 b=$2 x=$3 y=$4 w=$5 h=$6
    convert "$a" "$b" -crop "${w}x${h}+${x}+${y}" +repage -compose difference -composite \
        -colorspace gray -format "%[fx:int(255*mean+0.5)]" info:
}

expect_eq() { [ "$1" = "$2" ] || fail "${3:-value}: expected '$2', got '$1'"; }
expect_file() { [ -f "$1" ] || fail "expected file $1"; }
expect_no_file() { [ ! -e "$1" ] || fail "did not expect $1"; }
expect_grep() { grep -q -- "$1" "$2" || fail "expected '$1' in $2"; }
