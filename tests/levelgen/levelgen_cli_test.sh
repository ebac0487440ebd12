#!/usr/bin/env bash
# Usage: levelgen_cli_test.sh LEVELGEN MAKE_LEVELS_SCRIPT
# levelgen's exit statuses and messages, its files, and make-levels.sh leaving a folder
# that already holds levels alone.
set -uo pipefail
levelgen="$1"
make_levels="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

"$levelgen" --help >"$work/out" 2>"$work/err"
[ $? -eq 0 ] && grep -q '^usage: levelgen' "$work/out" && [ ! -s "$work/err" ] || fail "--help"

for args in "" "--seed x d" "--size 100x100 d" "--look moon d" "--frob d" "a b" "--thumb"; do
    # shellcheck disable=SC2086
    "$levelgen" $args >"$work/out" 2>"$work/err"
    status=$?
    [ $status -eq 2 ] && grep -q '^usage: levelgen' "$work/err" && [ ! -s "$work/out" ] ||
        fail "'$args' gave status $status"
done

touch "$work/file"
"$levelgen" "$work/file/level" 2>"$work/err"
status=$?
[ $status -eq 1 ] && [ "$(wc -l <"$work/err")" -eq 1 ] || fail "unwritable folder gave status $status"

"$levelgen" --size 320x200 --look caves --seed 3 --thumb "$work/l/thumb.bmp" "$work/l" --preview "$work/l/p.bmp" ||
    fail "a small level"
for f in back fore mask undiggable thumb p; do [ -s "$work/l/$f.bmp" ] || fail "no $f.bmp"; done

# The level file, as the game builds it from the bitmaps; where it cannot go, one line.
"$levelgen" --size 320x200 --look islands --lvl "$work/m/map.lvl" "$work/m" || fail "--lvl"
[ -s "$work/m/map.lvl" ] && [ ! -e "$work/m/preview.bmp" ] || fail "--lvl wrote no level file"
"$levelgen" --size 320x200 --lvl "$work/file/map.lvl" "$work/n" 2>"$work/err"
status=$?
[ $status -eq 1 ] && [ "$(wc -l <"$work/err")" -eq 1 ] || fail "unwritable --lvl gave status $status"

mkdir -p "$work/levels/mine"
cp "$work/l/mask.bmp" "$work/levels/mine/"
bash "$make_levels" "$(dirname "$levelgen")" "$work/levels" || fail "make-levels.sh on a filled folder"
[ "$(ls "$work/levels")" = mine ] || fail "make-levels.sh added levels beside existing ones"
exit $failed
