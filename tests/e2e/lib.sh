# Helpers of the end-to-end cases: start the real game in $WORK under the virtual display,
# send keys with xdotool, take screenshots and read their pixels.
# Every case runs with `set -Eeuo pipefail` and ends by calling nothing: run_case.sh calls
# e2e_pass after the case script returns.
set -Eeuo pipefail
# A helper that fails under `set -e` would end the case without a word: say where.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND (status $?)" >&2' ERR

GAME_PID=""
GAME_WINDOW=""

fail() {
    echo "FAIL: $*" >&2
    shot "failure" >&2 2>/dev/null || true
    [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
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

# A configuration with a stored windowed 640x480 mode, so that no dialog appears, and the
# default key bindings (a file without them leaves every player key unbound).
# Extra lines (sections and keys) can follow on standard input.
write_ini() {
    {
        echo "[graphics]"
        echo "card = XWIN"
        echo "depth = ${DEPTH:-32}"
        echo "width = ${WIDTH:-640}"
        echo "height = ${HEIGHT:-480}"
        echo "[controls]"
        echo "player[1].up = 23"
        echo "player[1].down = 19"
        echo "player[1].left = 1"
        echo "player[1].right = 4"
        echo "player[1].jump = 75"
        echo "player[1].fire = 119"
        echo "player[1].dig = 117"
        echo "player[1].weapon = 64"
        echo "player[2].up = 84"
        echo "player[2].down = 85"
        echo "player[2].left = 82"
        echo "player[2].right = 83"
        echo "player[2].jump = 41"
        echo "player[2].fire = 37"
        echo "player[2].dig = 44"
        echo "player[2].weapon = 86"
        echo "console = 60"
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
        if [ -n "$GAME_WINDOW" ]; then
            # No window manager runs here: give the window the keyboard explicitly.
            xdotool windowfocus "$GAME_WINDOW" 2>/dev/null || true
            return 0
        fi
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended before its window appeared"
        sleep 0.1
    done
    fail "no window named $pattern appeared"
}

# Waits until the game's frame is on the screen (divider and score box of two views),
# after start-up and level building, which take a while on a loaded machine.
wait_game_frame() {
    local i png
    for i in $(seq 1 60); do
        png=$(shot waiting)
        if [ "$(pixel "$png" 319 200)" = "0,0,0" ] && [ "$(pixel "$png" 271 451)" = "32,32,32" ]; then
            rm -f "$png"
            focus_game
            return 0
        fi
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended before its first frame"
        sleep 0.5
    done
    fail "the game's frame never appeared"
}

# Starts the game (its mode stored, so no dialog) and waits for its window and first frame.
start_playing() {
    start_game "$@"
    wait_window
    wait_game_frame
}

# Gives the game time to reach its loop (the first frames after loading).
settle() { sleep "${1:-1}"; }

# Waits for the game to end and sets EXIT_STATUS; fails after $1 seconds.
# It must run in the shell that started the game: only that shell can wait for its child,
# and a command substitution's copy reads -1 for a game that ends after the copy forked.
wait_exit() {
    local limit=${1:-20} i
    for i in $(seq 1 $((limit * 10))); do
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            EXIT_STATUS=0
            wait "$GAME_PID" || EXIT_STATUS=$?
            GAME_PID=""
            return 0
        fi
        sleep 0.1
    done
    fail "the game did not end within $limit s"
}
# expect_exit <seconds> <status> <what>
expect_exit() { wait_exit "$1"; expect_eq "$EXIT_STATUS" "$2" "$3"; }

# Key presses go to the focused window. No window manager runs here to hand the focus to
# a new window (the game's, after the mode dialog's): every key action gives the game
# window the focus first.
focus_game() {
    [ -n "$GAME_WINDOW" ] && xdotool windowfocus "$GAME_WINDOW" 2>/dev/null || true
}
# The game samples the keyboard once a step (1/60 s), so a press is held long enough for
# a step to see it.
press() {
    local k
    focus_game
    for k in "$@"; do
        xdotool keydown "$k"; sleep 0.08; xdotool keyup "$k"; sleep 0.15
    done
}
hold() { # hold <key> <seconds>
    focus_game
    xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"
}
hold_keys() { # hold_keys <seconds> <key>... : the keys held together
    local seconds=$1; shift
    focus_game
    xdotool keydown "$@"; sleep "$seconds"; xdotool keyup "$@"
}
type_text() { focus_game; xdotool type --delay 80 "$1"; }

# Screenshot of the game window (or the whole screen without one) as $WORK/<name>.png.
shot() {
    local out="$WORK/$1.png"
    # The window is only grabbed while its game runs; a grab of a vanished window hangs.
    if [ -n "$GAME_WINDOW" ] && [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
        timeout 20 import -silent -window "$GAME_WINDOW" "$out"
    else
        timeout 20 xwd -root -silent | timeout 20 convert xwd:- "$out"
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

# Number of pixels in which view 1 and view 2 of a screenshot differ, below the status
# boxes. 0 when both views show the same part of the level: near an edge the views stop at
# the edge, so two players close together there are both seen in both views.
views_apart() {
    convert \( "$1" -crop 318x400+0+40 +repage \) \( "$1" -crop 318x400+321+40 +repage \) \
        -compose difference -composite -colorspace gray -threshold 0 \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}

# Number of pixels that differ between two screenshots in a rectangle.
difference() {
    local a=$1 b=$2 x=$3 y=$4 w=$5 h=$6
    convert "$a" "$b" -crop "${w}x${h}+${x}+${y}" +repage -compose difference -composite \
        -colorspace gray -threshold 0 -format "%[fx:int(mean*w*h+0.5)]" info:
}

expect_eq() { [ "$1" = "$2" ] || fail "${3:-value}: expected '$2', got '$1'"; }
expect_file() { [ -f "$1" ] || fail "expected file $1"; }
expect_no_file() { [ ! -e "$1" ] || fail "did not expect $1"; }
expect_grep() { grep -q -- "$1" "$2" || fail "expected '$1' in $2"; }

# A small arena instead of the default level: flat ground, walls of rock on both sides,
# so that both players land on the same floor within reach of each other.
# prepare_arena <width> <height>
prepare_arena() {
    local w=${1:-200} h=${2:-160} floor
    floor=$((h - 30))
    mkdir -p "$WORK/data"
    convert -size "${w}x${h}" xc:'rgb(0,255,0)' -fill 'rgb(255,0,255)' \
        -draw "rectangle 0,$floor $((w - 1)),$((h - 1))" \
        -draw "rectangle 0,0 3,$((h - 1))" -draw "rectangle $((w - 4)),0 $((w - 1)),$((h - 1))" \
        -type TrueColor BMP3:"$WORK/data/mask.bmp"
    convert -size "${w}x${h}" xc:'rgb(120,80,40)' -type TrueColor BMP3:"$WORK/data/fore.bmp"
    convert -size "${w}x${h}" xc:'rgb(30,30,90)' -type TrueColor BMP3:"$WORK/data/back.bmp"
}

# Whether the screen shows the console open: the white line under its scroll-back.
console_shown() { [ "$(pixel "$(shot console)" 300 108)" = "255,255,255" ]; }
# Opens (open_console) or closes (close_console) the console and waits until the screen
# shows it so; its key is pressed again only when a press has not shown after 3 s.
console_to() { # console_to <open|closed>
    local want=$1 tries end
    for tries in 1 2 3 4; do
        if console_shown; then [ "$want" = open ] && return 0; else [ "$want" = closed ] && return 0; fi
        hold grave 0.2
        end=$((SECONDS + 3))
        while [ $SECONDS -lt $end ]; do
            if console_shown; then [ "$want" = open ] && return 0; else [ "$want" = closed ] && return 0; fi
            sleep 0.2
        done
    done
    fail "the console is not $want"
}
open_console() { console_to open; }
close_console() { console_to closed; }

# With the game started with --echo-console and the console open: types the command,
# sends it and prints the first line of the reply that matches the extended regular
# expression, waiting for it on standard error (for at most 20 s).
console_reply() { # console_reply <pattern> <command>
    local pattern=$1 before end
    before=$(grep -cE -- "$pattern" "$WORK/stderr.log" || true)
    type_text "$2"
    press Return
    end=$((SECONDS + 20))
    until [ "$(grep -cE -- "$pattern" "$WORK/stderr.log" || true)" -gt "$before" ]; do
        [ $SECONDS -lt $end ] || fail "no reply to '$2' matching '$pattern' on standard error"
        sleep 0.2
    done
    grep -E -- "$pattern" "$WORK/stderr.log" | sed -n "$((before + 1))p"
}

# Types a console command and sends it (the console must be open).
console_command() {
    type_text "$1"
    settle 0.3
    press Return
    settle 0.5
}

# Dismisses the message box the library shows with allegro_message (xmessage on X11)
# after checking its text; fails when no such box comes.
dismiss_message() {
    local text=$1 i
    for i in $(seq 1 100); do pgrep -x xmessage >/dev/null && break; sleep 0.1; done
    pgrep -a xmessage | grep -qF -- "$text" || fail "no message box saying '$text'"
    # The process may run a moment before its window is mapped.
    local w=""
    for i in $(seq 1 100); do
        w=$(xdotool search --onlyvisible --name xmessage 2>/dev/null | head -n 1 || true)
        [ -n "$w" ] && break
        sleep 0.1
    done
    [ -n "$w" ] || fail "the message box '$text' never showed its window"
    xdotool windowfocus "$w" 2>/dev/null || true
    settle 0.3
    xdotool keydown Return; sleep 0.08; xdotool keyup Return
}
