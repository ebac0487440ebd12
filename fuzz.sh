#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan and UBSan) and runs them all, side by side
# and at low priority, for the given number of seconds (default 60):
#
#   ./fuzz.sh [SECONDS] [BUILD_DIR]
#
# Each target starts from its seed corpus in fuzz/corpus/<target>; what it learns goes to
# BUILD_DIR/corpus/<target>. A crash input is written to fuzz/regressions/<target>/, where
# ./test.sh replays it from then on: fix the fault, keep the file. Logs: BUILD_DIR/<target>.log.
# The exit status is 1 when a target found something.
set -euo pipefail
cd "$(dirname "$0")"

seconds=${1:-60}
build=${2:-build-fuzz}

./tools/install-deps.sh --fuzz
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DVORLIN_FUZZ=ON -DVORLIN_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target fuzz_level_file fuzz_level_bitmap fuzz_wav fuzz_replay_file fuzz_net_packet

targets=(fuzz_level_file fuzz_level_bitmap fuzz_wav fuzz_replay_file fuzz_net_packet)
pids=()
for t in "${targets[@]}"; do
    mkdir -p "$build/corpus/$t" "fuzz/regressions/$t"
    # Standard error is closed for the game's own refusals (one line per refused input);
    # libFuzzer and the sanitizers keep reporting on a copy of it.
    nice -n 10 "$build/fuzz/$t" -max_total_time="$seconds" -max_len=8192 -timeout=20 \
        -rss_limit_mb=2048 -close_fd_mask=2 -print_final_stats=1 \
        -artifact_prefix="fuzz/regressions/$t/" \
        "$build/corpus/$t" "fuzz/corpus/$t" >"$build/$t.log" 2>&1 &
    pids+=($!)
done

status=0
for i in "${!targets[@]}"; do
    if wait "${pids[$i]}"; then
        echo "${targets[$i]}: no finding in ${seconds} s ($(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/${targets[$i]}.log" | grep -o '[0-9]*$') runs)"
    else
        echo "${targets[$i]}: FINDING, see $build/${targets[$i]}.log and fuzz/regressions/${targets[$i]}/"
        status=1
    fi
done
exit $status
