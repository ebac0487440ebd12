#!/usr/bin/env bash
# Installs what is missing, builds a release binary, makes the default level when there
# is none, the sound effects that are missing and a few levels in levels/ when it has
# none, and starts the game in the folder that holds data/: the menu (vorlin --menu)
# without arguments.
set -euo pipefail
cd "$(dirname "$0")"

./tools/install-deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DVORLIN_TESTS=OFF >/dev/null
cmake --build build-release -j "$(nproc 2>/dev/null || echo 2)" --target vorlin levelgen soundgen

mkdir -p data
if [ ! -f data/map.lvl ] && [ ! -f data/mask.bmp ]; then
    ./build-release/levelgen data
fi
# Only the missing ones: sounds a player has put in their place stay.
./build-release/soundgen data/sounds
# A handful of generated levels for --level, when the folder holds none yet.
./tools/make-levels.sh build-release levels
# Without arguments the front end; with them the game as the command line says.
if [ $# -eq 0 ]; then exec ./build-release/vorlin --menu; fi
exec ./build-release/vorlin "$@"
