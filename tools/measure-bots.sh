#!/usr/bin/env bash
# Plays the computer player's goal games with vorlin-arena and sums them up: the figures
# of the computer player's table in BENCHMARKS.md.
set -euo pipefail

usage() {
    cat <<'TEXT'
Usage: measure-bots.sh ARENA LEVEL [SEEDS]
       measure-bots.sh --looks LEVELGEN ARENA DIR [SEEDS [SIZE [FIRST]]]

Plays games of 300 s with the vorlin-arena program ARENA on the level file LEVEL, seeds
1 to SEEDS (default 10): normal bot against idle, normal bot against random, hard against
easy, two normal bots, and the crude beginner player against easy. Prints every game's
line on standard error and, per series on standard output, the kills of each side, the games player 1 won (more kills), the
longest time a bot stood still, the longest a bot went without coming closer to its
enemy, the bots' mean decision time and the wall time of the slowest game.

With --looks: a series of normal bot against idle for every look of the level generator
LEVELGEN, game seed N on the level of that look, seed N and SIZE (default 1280x800),
seeds FIRST (default 1) to FIRST + SEEDS - 1 (default 25 seeds). The levels are made
into DIR (LOOK-SEED-SIZE/map.lvl) when missing there.
TEXT
}

summary() {  # both: 1 when both players are bots
    awk -v both="$1" '
        function field(name,   i) { for (i = 1; i <= NF; i++) if ($i == name) return $(i + 1); return 0 }
        function player(n, name,   i, seen) {
            for (i = 1; i <= NF; i++) {
                if ($i == "player" && $(i + 1) == n) seen = 1
                else if ($i == "player") seen = 0
                if (seen && $i == name) return $(i + 1)
            }
            return 0
        }
        {
            a = player(1, "kills"); b = player(2, "kills")
            k1 += a; k2 += b; total = a + b
            if (a > b) won++
            if (a == b) tied++
            if (total < fewest || NR == 1) fewest = total
            if (a < 5) below = below " " field("seed") ":" a
            s = player(1, "still"); f = player(1, "far")
            if (both && player(2, "still") > s) s = player(2, "still")
            if (both && player(2, "far") > f) f = player(2, "far")
            if (s > still) still = s
            if (f > far) far = f
            if (f >= 20) stuck = stuck " " field("seed") ":" f
            cost += field("at"); costs++
            if (field("wall") > wall) wall = field("wall")
            k1s = k1s (NR > 1 ? ", " : "") a
        }
        END {
            printf "player 1 kills: %s\n", k1s
            printf "kills %d to %d; player 1 more in %d of %d (%d tied); fewest kills in a game %d; mean kills per game %.1f\n",
                   k1, k2, won, NR, tied, fewest, (k1 + k2) / NR
            printf "player 1 under 5 kills (seed:kills):%s\n", below == "" ? " none" : below
            printf "longest still %.1f s; longest without coming closer %.1f s, 20 s or more (seed:s):%s\n",
                   still, far, stuck == "" ? " none" : stuck
            printf "decision %.4f ms per step; slowest game %.2f s wall\n", costs ? cost / costs : 0, wall
        }'
}

game() {  # arena level players skill seed
    local start end out
    start=$(date +%s.%N)
    out=$("$1" --players "$3" --skill "$4" --seed "$5" --level "$2" --stats)
    end=$(date +%s.%N)
    echo "seed $5 $(echo "$out" | tr '\n' ' ') wall $(echo "$end - $start" | bc)"
}

series() {  # name players skill
    local name=$1 players=$2 skill=$3
    echo "== $name (--players $players --skill $skill)"
    for seed in $(seq 1 "$seeds"); do
        game "$arena" "$level" "$players" "$skill" "$seed"
    done | tee /dev/stderr | summary "$([ "$players" = bot,bot ] && echo 1 || echo 0)"
}

looks() {  # levelgen arena dir seeds size first
    local levelgen=$1 arena=$2 dir=$3 seeds=$4 size=$5 first=$6
    for look in hills islands caves fortress; do
        echo "== normal bot against idle, $look levels of $size (game seed N on level seed N)"
        for seed in $(seq "$first" $((first + seeds - 1))); do
            local at="$dir/$look-$seed-$size"
            [ -e "$at/map.lvl" ] ||
                "$levelgen" --look "$look" --seed "$seed" --size "$size" --lvl "$at/map.lvl" "$at" >&2
            game "$arena" "$at/map.lvl" bot,idle normal "$seed"
        done | tee /dev/stderr | summary 0
    done
}

[ "${1:-}" = --help ] && { usage; exit 0; }
if [ "${1:-}" = --looks ]; then
    [ $# -ge 4 ] && [ $# -le 7 ] || { usage >&2; exit 2; }
    looks "$2" "$3" "$4" "${5:-25}" "${6:-1280x800}" "${7:-1}"
    exit 0
fi
[ $# -ge 2 ] && [ $# -le 3 ] || { usage >&2; exit 2; }
arena=$1 level=$2 seeds=${3:-10}

series "normal bot against idle" bot,idle normal
series "normal bot against random" bot,random normal
series "hard against easy" bot,bot hard,easy
series "two normal bots" bot,bot normal
series "a beginner against easy" beginner,bot easy
