#!/usr/bin/env bash
# Shows that the world comes out the same from other compilers and flags: builds
# vorlin-arena (only) with GCC for x86-64-v3 (fused multiply-adds allowed by the flags)
# and with Clang, then has each of them verify the golden replays and three 300 s bot
# games recorded by the given build.
#
#   tools/check-cross-build.sh [BUILD_DIR]     (default build; it must hold vorlin-arena,
#                                               levelgen and record_golden)
#
# The extra builds live in BUILD_DIR/cross/ and are rebuilt only where the sources changed.
# Exit status 0 when every replay verifies with every build, 1 otherwise (the failing
# verification's line is printed).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for tool in vorlin-arena levelgen tests/record_golden; do
    [ -x "$build/$tool" ] || { echo "no $build/$tool: build it first"; exit 1; }
done

cross_build() {
    local name=$1; shift
    cmake -S "$root" -B "$build/cross/$name" -DCMAKE_BUILD_TYPE=Release -DVORLIN_TESTS=OFF \
          "$@" >"$work/$name.cmake.log" 2>&1 || { cat "$work/$name.cmake.log"; exit 1; }
    cmake --build "$build/cross/$name" -j 2 --target vorlin-arena >"$work/$name.log" 2>&1 ||
        { tail -30 "$work/$name.log"; echo "the $name build failed"; exit 1; }
}

cross_build gcc-x86-64-v3 -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ \
    "-DCMAKE_CXX_FLAGS=-march=x86-64-v3 -ffp-contract=fast" "-DCMAKE_C_FLAGS=-march=x86-64-v3"
cross_build clang -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
builds=(clang)
if grep -qw fma /proc/cpuinfo && grep -qw avx2 /proc/cpuinfo; then
    builds+=(gcc-x86-64-v3)
else
    echo "this processor runs no x86-64-v3 code: the GCC x86-64-v3 build is only built"
fi

"$build/levelgen" --lvl "$work/map.lvl" "$work/level" >/dev/null
"$build/tests/record_golden" --level "$work/golden.lvl"
replays=()
for seed in 1 2 3; do
    "$build/vorlin-arena" --players bot,bot --seconds 300 --seed "$seed" \
        --level "$work/map.lvl" --record "$work/bots-$seed.rpl" >/dev/null
    replays+=("$work/bots-$seed.rpl:$work/map.lvl")
done
for golden in "$root"/tests/golden/*.rpl; do replays+=("$golden:$work/golden.lvl"); done

status=0
for b in "${builds[@]}"; do
    for entry in "${replays[@]}"; do
        replay=${entry%%:*}
        level=${entry#*:}
        line=$("$build/cross/$b/vorlin-arena" --replay "$replay" --verify --level "$level" |
               head -1) || true
        case "$line" in
            ok\ *) echo "$b: $(basename "$replay"): $line" ;;
            *) echo "$b: $(basename "$replay"): $line"; status=1 ;;
        esac
    done
done
exit $status
