# First start builds data/map.lvl from the bitmaps; later starts read it and never touch
# the bitmaps, even when they are gone.
prepare_bitmaps
write_ini </dev/null
expect_no_file data/map.lvl
start_playing
hold Escape 0.5
expect_exit 10 "0" "first run"
expect_file data/map.lvl
head -c 4 data/map.lvl | grep -q 'slh!' || fail "level file is not a packed file"
before=$(stat -c %Y-%s data/map.lvl)
rm data/*.bmp
sleep 1
start_playing
hold Escape 0.5
expect_exit 10 "0" "second run"
expect_eq "$(stat -c %Y-%s data/map.lvl)" "$before" "level file unchanged"
ls data/*.tmp* >/dev/null 2>&1 && fail "temporary files left in data/"
true
