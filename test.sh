#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole suite twice: a normal build and
# one with AddressSanitizer and UndefinedBehaviorSanitizer. The exit status is the suite's.
set -euo pipefail
cd "$(dirname "$0")"

./tools/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)

status=0
run_suite() {
    local dir=$1; shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" || status=1
}

echo "== normal build =="
run_suite build
echo "== sanitizer build (ASan, UBSan, LeakSanitizer) =="
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite build-asan -DVORLIN_SANITIZE=ON -DVORLIN_SOAK_STEPS=20000

exit $status
