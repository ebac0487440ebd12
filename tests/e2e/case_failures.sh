# Failures a player can meet: a corrupt level file ends in the assertion report without
# touching vorlin.ini; a data/ folder that cannot be written ends with a clear message and
# leaves no partial level file; without a display the game says why it cannot start.
prepare_bitmaps
write_ini </dev/null
cp vorlin.ini vorlin.ini.before

# Garbage after the packed-file magic.
{ printf 'slh!'; head -c 5000 /dev/urandom; } > data/map.lvl
start_game
wait_window
settle 2
shot report >/dev/null
press Return   # the "&Darn" button
expect_exit 15 134 "abnormal end (SIGABRT)"
expect_grep "Debug assertion failed!" stderr.log
expect_grep "src/level/level.cpp" stderr.log
expect_grep "Level::Load" stderr.log
cmp -s vorlin.ini vorlin.ini.before || fail "vorlin.ini changed by a failed run"

# No level file and a read-only data/ folder (a read-only bind mount: we may be root).
rm data/map.lvl
( cd "$WORK" && exec unshare -m sh -c \
    'mount --bind data data && mount -o remount,ro,bind data && exec "$0"' "$VORLIN_BIN" \
    >"$WORK/stdout.log" 2>"$WORK/stderr.log" ) &
GAME_PID=$!
dismiss_message "Unable to write data/map.lvl"
expect_exit 15 "0" "exit status after the write failure"
expect_grep "Unable to write data/map.lvl" stderr.log
expect_no_file data/map.lvl
ls data | grep -v '\.bmp$' && fail "files left in data/"

# No display at all: the library cannot start; a line on standard error says so and
# nothing is written.
mkdir -p "$WORK/nodisplay"
status=0
( cd "$WORK/nodisplay" && exec env -u DISPLAY "$VORLIN_BIN" >stdout.log 2>stderr.log ) || status=$?
expect_eq "$status" "0" "exit status without a display"
expect_grep "Unable to initialise Allegro" "$WORK/nodisplay/stderr.log"
expect_no_file "$WORK/nodisplay/vorlin.ini"
true
