#!/usr/bin/env bash
# The layering check on small trees under the real ARCHITECTURE.md: it passes what the
# tables allow and fails on every kind of include against them.
set -uo pipefail
check=$1
architecture=$2

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

# expected status | file | its one include
cases='
0|src/level/a.cpp|#include "collision/clgo.h"
0|src/player/a.cpp|#include "ammunition/ammunition.h"
0|src/ammunition/a.cpp|#include "game/game.h"
0|src/bot/a.cpp|#include "input/controls.h"
0|src/main/a.cpp|#include <allegro/lzss.h>
1|src/level/a.cpp|#include "game/game.h"
1|src/particle/a.h|#  include <player/player.h>
1|src/ammunition/a.cpp|#include "game/pair_index.h"
1|src/bot/a.cpp|#include "replay/replay.h"
1|src/game/a.cpp|#include "../main/startup.h"
1|src/newfolder/a.cpp|#include "base/random.h"
'
failures=0
while IFS='|' read -r want file include; do
    [ -n "$file" ] || continue
    rm -rf "$tree/src"
    mkdir -p "$tree/src/$(basename "$(dirname "$file")")"
    cp "$architecture" "$tree/ARCHITECTURE.md"
    printf '%s\n' "$include" >"$tree/$file"
    bash "$check" --root "$tree" >/dev/null
    got=$?
    if [ "$got" != "$want" ]; then
        echo "FAIL: $file with '$include': status $got, expected $want"
        failures=$((failures + 1))
    fi
done <<<"$cases"
[ "$failures" -eq 0 ] && echo "check-layering: every case as expected"
[ "$failures" -eq 0 ]
