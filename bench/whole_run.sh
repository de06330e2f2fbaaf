#!/usr/bin/env bash
# Whole default run (circle, 30 x 30, one population of 1000, 50 generations,
# seed 1) with the reference evaluator on one thread and the batch evaluator
# on one thread and on all threads, alternating, REPEATS times each. Prints
# the median wall time of each, the ratios, the evaluation rate and the peak
# memory, and checks that every run wrote the same JSON.
set -euo pipefail
cli=${1:-build/cli/quba-cli}
repeats=${REPEATS:-5}
threads=$(nproc)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

configs=("reference 1" "batch 1" "batch $threads")
for ((r = 0; r < repeats; r++)); do
    for i in "${!configs[@]}"; do
        read -r evaluator count <<<"${configs[$i]}"
        /usr/bin/time -f "%e %M" -o "$work/time" "$cli" --pattern circle --seed 1 --quiet \
            --evaluator "$evaluator" --threads "$count" --timing --json "$work/run$i.json" \
            >/dev/null 2>"$work/timing"
        read -r seconds kilobytes <"$work/time"
        echo "$seconds" >>"$work/seconds$i"
        echo "$kilobytes" >>"$work/memory$i"
        sed -n 's/.*, \([0-9.e+]*\) per second of evaluation/\1/p' "$work/timing" >>"$work/rate$i"
        sed -n 's/.*pictures, breeding and the rest \([0-9.]*\) s.*/\1/p' "$work/timing" >>"$work/rest$i"
    done
    cmp -s "$work/run0.json" "$work/run1.json" && cmp -s "$work/run0.json" "$work/run2.json" ||
        { echo "error: the evaluators' JSON differs" >&2; exit 1; }
done

median() { sort -g "$1" | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
peak() { sort -n "$1" | tail -n 1; }

printf '%-22s %10s %10s %16s %10s %12s\n' configuration "median s" speed-up "node-cases/s" "serial s" "peak MiB"
base=$(median "$work/seconds0")
for i in "${!configs[@]}"; do
    m=$(median "$work/seconds$i")
    printf '%-22s %10.3f %9.2fx %16.3g %10.3f %12.1f\n' "${configs[$i]} thread(s)" "$m" \
        "$(awk -v a="$base" -v b="$m" 'BEGIN {print a / b}')" "$(median "$work/rate$i")" \
        "$(median "$work/rest$i")" "$(awk -v k="$(peak "$work/memory$i")" 'BEGIN {print k / 1024}')"
done
echo "identical JSON in all $((repeats * ${#configs[@]})) runs"
