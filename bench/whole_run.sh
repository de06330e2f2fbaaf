#!/usr/bin/env bash
# Whole default run (circle, 30 x 30, one population of 1000, 50 generations,
# seed 1) in several configurations, alternating, REPEATS times each: the
# reference evaluator on one thread, the batch evaluator on one thread and on
# all threads, the last once more without the size-accuracy fronts, and the
# fast arithmetic on one thread and on all threads. Prints the median wall
# time of each, the ratios, the evaluation rate and the peak memory, and
# checks that every exact run wrote the same record (the fronts left aside)
# and every fast run the same fast record.
set -euo pipefail
cli=${1:-build/cli/quba-cli}
repeats=${REPEATS:-5}
threads=$(nproc)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

labels=("reference, 1 thread" "batch, 1 thread" "batch, $threads threads"
        "batch, $threads threads, no fronts" "fast, 1 thread" "fast, $threads threads")
arguments=("--evaluator reference --threads 1" "--evaluator batch --threads 1"
           "--evaluator batch --threads $threads" "--evaluator batch --threads $threads --no-front"
           "--arithmetic fast --threads 1" "--arithmetic fast --threads $threads")
first_fast=4

# The record without its fronts, for comparing runs with and without them.
without_fronts() {
    python3 -c 'import json, sys
record = json.load(open(sys.argv[1]))
for population in record["populations"]:
    population.pop("front", None)
print(json.dumps(record, sort_keys=True))' "$1"
}

for ((r = 0; r < repeats; r++)); do
    for i in "${!labels[@]}"; do
        start=$(date +%s%N)
        # shellcheck disable=SC2086 # the arguments are words
        /usr/bin/time -f "%M" -o "$work/time" "$cli" --pattern circle --seed 1 --quiet \
            ${arguments[$i]} --timing --json "$work/run$i.json" >/dev/null 2>"$work/timing"
        end=$(date +%s%N)
        read -r kilobytes <"$work/time"
        awk -v a="$start" -v b="$end" 'BEGIN {print (b - a) / 1e9}' >>"$work/seconds$i"
        echo "$kilobytes" >>"$work/memory$i"
        sed -n 's/.*, \([0-9.e+]*\) per second of evaluation/\1/p' "$work/timing" >>"$work/rate$i"
        sed -n 's/.*pictures, breeding and the rest \([0-9.]*\) s.*/\1/p' "$work/timing" >>"$work/rest$i"
        without_fronts "$work/run$i.json" >"$work/record$i"
        same=0
        ((i < first_fast)) || same=$first_fast
        cmp -s "$work/record$same" "$work/record$i" ||
            { echo "error: '${labels[$i]}' wrote another record" >&2; exit 1; }
    done
done

median() { sort -g "$1" | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
peak() { sort -n "$1" | tail -n 1; }

printf '%-32s %10s %10s %16s %10s %12s\n' configuration "median s" speed-up "node-cases/s" "serial s" "peak MiB"
base=$(median "$work/seconds0")
for i in "${!labels[@]}"; do
    m=$(median "$work/seconds$i")
    printf '%-32s %10.3f %9.2fx %16.3g %10.3f %12.1f\n' "${labels[$i]}" "$m" \
        "$(awk -v a="$base" -v b="$m" 'BEGIN {print a / b}')" "$(median "$work/rate$i")" \
        "$(median "$work/rest$i")" "$(awk -v k="$(peak "$work/memory$i")" 'BEGIN {print k / 1024}')"
done
echo "the fronts cost $(awk -v a="$(median "$work/seconds2")" -v b="$(median "$work/seconds3")" \
    'BEGIN {printf "%+.1f %%", 100 * (a - b) / b}') of the run with them left out"
echo "fast over exact on $threads threads: $(awk -v a="$(median "$work/seconds2")" \
    -v b="$(median "$work/seconds5")" 'BEGIN {printf "%.2fx", a / b}')"
echo "the same exact record in all $((repeats * first_fast)) exact runs," \
    "the same fast record in all $((repeats * (${#labels[@]} - first_fast))) fast runs"
