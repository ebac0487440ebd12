#!/usr/bin/env bash
# Usage: tools/make-levels.sh [--packed] BUILD_DIR LEVELS_DIR
#
# Fills LEVELS_DIR with generated levels, one folder each, named LOOK-SEED-WxH and
# holding back.bmp, fore.bmp, mask.bmp, undiggable.bmp and thumb.bmp: two seeds of every
# look at 1280x800 and one of each at 2048x1024. Does nothing when LEVELS_DIR already
# holds a level (a folder with a mask.bmp or a map.lvl), so that levels kept or changed
# there stay. With --packed only seed 1 of every look at 1280x800, each folder holding the
# level file map.lvl and thumb.bmp instead of the bitmaps: the installed game's shared
# levels, about 17 MB.
set -euo pipefail

packed=""
if [ "${1:-}" = --packed ]; then packed=1; shift; fi
if [ $# -ne 2 ]; then
    echo "usage: tools/make-levels.sh [--packed] BUILD_DIR LEVELS_DIR" >&2
    exit 2
fi
levelgen="$1/levelgen"
levels="$2"
if [ ! -x "$levelgen" ]; then
    echo "make-levels: no levelgen in $1" >&2
    exit 1
fi
if compgen -G "$levels/*/mask.bmp" >/dev/null || compgen -G "$levels/*/map.lvl" >/dev/null; then
    exit 0
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

make_level() {  # LOOK SEED SIZE
    local dir="$levels/$1-$2-$3"
    if [ -n "$packed" ]; then
        mkdir -p "$dir"
        "$levelgen" --look "$1" --seed "$2" --size "$3" --thumb "$dir/thumb.bmp" \
            --lvl "$dir/map.lvl" "$scratch/$1-$2-$3"
        rm -rf "${scratch:?}/$1-$2-$3"
    else
        "$levelgen" --look "$1" --seed "$2" --size "$3" --thumb "$dir/thumb.bmp" "$dir"
    fi
}

for look in hills islands caves fortress; do
    make_level "$look" 1 1280x800
    [ -n "$packed" ] && continue
    make_level "$look" 2 1280x800
    make_level "$look" 3 2048x1024
done
