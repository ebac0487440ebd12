#!/usr/bin/env bash
# Plays the computer player's goal games with vorlin-arena and sums them up: the figures
# of the computer player's table in BENCHMARKS.md.
set -euo pipefail

usage() {
    cat <<'TEXT'
Usage: measure-bots.sh ARENA LEVEL [SEEDS]

Plays games of 300 s with the vorlin-arena program ARENA on the level file LEVEL, seeds
1 to SEEDS (default 10): normal bot against idle, normal bot against random, hard against
easy, two normal bots, and the crude beginner player against easy. Prints every game
and, per series, the kills of each side, the games player 1 won (more kills), the
longest time a bot stood still, the bots' mean decision time and the wall time of the
slowest game.
TEXT
}

[ "${1:-}" = --help ] && { usage; exit 0; }
[ $# -ge 2 ] && [ $# -le 3 ] || { usage >&2; exit 2; }
arena=$1 level=$2 seeds=${3:-10}

series() {  # name players skill
    local name=$1 players=$2 skill=$3
    echo "== $name (--players $players --skill $skill)"
    for seed in $(seq 1 "$seeds"); do
        local start end
        start=$(date +%s.%N)
        out=$("$arena" --players "$players" --skill "$skill" --seed "$seed" --level "$level" --stats)
        end=$(date +%s.%N)
        echo "seed $seed $(echo "$out" | tr '\n' ' ') wall $(echo "$end - $start" | bc)"
    done | tee /dev/stderr | awk -v both=$([ "$players" = bot,bot ] && echo 1 || echo 0) '
        {
            # seed S player 1 kills K deaths D still T player 2 kills K deaths D still T ...
            k1 += $6; k2 += $14; total = $6 + $14
            if ($6 > $14) won++
            if ($6 == $14) tied++
            if (total < fewest || NR == 1) fewest = total
            if ($10 > still) still = $10
            if (both && $18 > still) still = $18
            for (i = 1; i <= NF; i++) {
                if ($i == "at") { cost += $(i + 1); costs++ }
                if ($i == "wall" && $(i + 1) > wall) wall = $(i + 1)
            }
            k1s = k1s (NR > 1 ? ", " : "") $6
        }
        END {
            printf "player 1 kills: %s\n", k1s
            printf "kills %d to %d; player 1 more in %d of %d (%d tied); fewest kills in a game %d; mean kills per game %.1f\n",
                   k1, k2, won, NR, tied, fewest, (k1 + k2) / NR
            printf "longest still %.1f s; decision %.4f ms per step; slowest game %.2f s wall\n",
                   still, costs ? cost / costs : 0, wall
        }'
}

series "normal bot against idle" bot,idle normal 2>/dev/null
series "normal bot against random" bot,random normal 2>/dev/null
series "hard against easy" bot,bot hard,easy 2>/dev/null
series "two normal bots" bot,bot normal 2>/dev/null
series "a beginner against easy" beginner,bot easy 2>/dev/null
