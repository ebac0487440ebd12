#!/usr/bin/env bash
# Installs what is missing, builds the benchmark program in Release, makes the default
# level in a temporary folder and runs every scenario, in milliseconds. Extra arguments
# go to Google Benchmark, e.g. ./bench.sh --benchmark_filter=Draw
# Set VORLIN_LEVEL_DIR to a folder with levelgen's bitmaps to use that level instead.
set -euo pipefail
cd "$(dirname "$0")"

./tools/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVORLIN_BENCHMARKS=ON \
      -DVORLIN_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc 2>/dev/null || echo 2)" --target vorlin_bench levelgen

level_dir=${VORLIN_LEVEL_DIR:-}
if [ -z "$level_dir" ]; then
    level_dir=$(mktemp -d)
    trap 'rm -rf "$level_dir"' EXIT
    ./build-bench/levelgen "$level_dir" >/dev/null
fi

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
./build-bench/vorlin_bench --level-dir="$level_dir" --benchmark_time_unit=ms "$@"
