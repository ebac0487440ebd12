#!/usr/bin/env bash
# Records the golden replays (tests/golden/*.rpl) again, from the current simulation, and
# checks that the suite verifies them:
#
#   tools/rerecord-golden.sh [BUILD_DIR]
#
# Only for a change that is meant to alter how the game plays (a weapon's damage, a
# speed, a new rule). A golden replay that fails after any other change found a fault:
# fix the fault, keep the replay. Commit the new files with the change that needs them.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
cmake --build "$build" -j 2 --target record_golden vorlin_tests
"$build/tests/record_golden" tests/golden
"$build/tests/vorlin_tests" --gtest_filter='GoldenReplay.*'
