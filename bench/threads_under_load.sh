#!/usr/bin/env bash
# The default run (circle, 30 x 30, one population of 1000, 50 generations,
# seed 1) on one thread and on all threads, in the exact and the fast
# arithmetic, while a busy process keeps one core to itself, alternating,
# REPEATS times each. Prints the median wall time of each and the ratio of
# all threads to one: waiting workers must sleep, so that all threads are
# never slower than one. A second program (OTHER=path to a quba-cli) is
# timed in the same rounds for comparison.
set -euo pipefail
cli=${1:-build/cli/quba-cli}
other=${OTHER:-}
repeats=${REPEATS:-5}
threads=$(nproc)
work=$(mktemp -d)

# One core kept busy for the whole measurement.
( while :; do :; done ) &
busy=$!
trap 'kill $busy 2>/dev/null; rm -rf "$work"' EXIT

programs=("$cli")
[ -n "$other" ] && programs+=("$other")
configurations=("--threads 1" "--threads $threads" "--arithmetic fast --threads 1"
                "--arithmetic fast --threads $threads")

for ((r = 0; r < repeats; r++)); do
    for p in "${!programs[@]}"; do
        for c in "${!configurations[@]}"; do
            start=$(date +%s%N)
            # shellcheck disable=SC2086 # the arguments are words
            "${programs[$p]}" --pattern circle --seed 1 --quiet ${configurations[$c]} >/dev/null
            end=$(date +%s%N)
            echo $(((end - start) / 1000)) >>"$work/$p-$c"
        done
    done
done

median() { sort -n "$1" | awk '{a[NR] = $1} END {printf "%.3f", a[int((NR + 1) / 2)] / 1e6}'; }
printf "%-40s %-36s %10s %14s\n" program configuration "median s" "vs 1 thread"
for p in "${!programs[@]}"; do
    for c in "${!configurations[@]}"; do
        base=$((c - c % 2))
        ratio=$(awk -v a="$(median "$work/$p-$c")" -v b="$(median "$work/$p-$base")" \
            'BEGIN {printf "%.2fx", a / b}')
        printf "%-40s %-36s %10s %14s\n" "${programs[$p]}" "${configurations[$c]}" \
            "$(median "$work/$p-$c")" "$ratio"
    done
done
