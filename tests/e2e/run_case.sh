#!/usr/bin/env bash
# Runs one end-to-end case in its own virtual X display and a fresh folder.
# Usage: run_case.sh <case script> <vorlin binary> <levelgen binary> <soundgen binary>
# The folder (logs, screenshots) is kept under tests/e2e/out of the build for the log.
set -euo pipefail
case_file=$(readlink -f "$1")
export VORLIN_BIN=$(readlink -f "$2")
export LEVELGEN_BIN=$(readlink -f "$3")
export SOUNDGEN_BIN=$(readlink -f "$4")
export E2E_LIB=$(dirname "$case_file")/lib.sh
name=$(basename "$case_file" .sh)
export WORK="$PWD/e2e-out/$name"
rm -rf "$WORK"
mkdir -p "$WORK"
# -noreset: an X server resets when its last client leaves (the game ending, or a short
# xdotool call before the game has connected); a connection made during the reset fails,
# or sees a keyboard map not yet loaded again, and the game starts without a display or
# without keys.
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" \
    bash -c 'source "$E2E_LIB"; cd "$WORK"; source "$0"; e2e_pass' "$case_file"
