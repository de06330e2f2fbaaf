#!/usr/bin/env bash
# A picture of real size: a 256 x 256 grey picture (a ramp with a bright
# disc, written here as a PGM) run with the default population for 50
# generations, seed 1, on all threads, in the exact and in the fast
# arithmetic. Prints the wall time, the peak memory and the final training
# error of each, and the ratio.
set -euo pipefail
cli=${1:-build/cli/quba-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk 'BEGIN {
    print "P2"; print "256 256"; print "255"
    for (y = 0; y < 256; y++) {
        line = ""
        for (x = 0; x < 256; x++) {
            grey = ((x - 160) ^ 2 + (y - 96) ^ 2 < 1600) ? 240 : int(x * 200 / 255)
            line = line grey " "
        }
        print line
    }
}' >"$work/picture.pgm"

printf '%-10s %10s %12s %16s\n' arithmetic "wall s" "peak MiB" "training error"
for arithmetic in exact fast; do
    start=$(date +%s%N)
    /usr/bin/time -f "%M" -o "$work/time" "$cli" --image "$work/picture.pgm" --size 256 --seed 1 \
        --quiet --arithmetic "$arithmetic" --json "$work/$arithmetic.json" >/dev/null
    end=$(date +%s%N)
    seconds=$(awk -v a="$start" -v b="$end" 'BEGIN {print (b - a) / 1e9}')
    echo "$seconds" >"$work/$arithmetic.seconds"
    error=$(python3 -c 'import json, sys
print(json.load(open(sys.argv[1]))["populations"][0]["history"][-1]["training"])' "$work/$arithmetic.json")
    printf '%-10s %10.2f %12.1f %16s\n' "$arithmetic" "$seconds" \
        "$(awk -v k="$(cat "$work/time")" 'BEGIN {print k / 1024}')" "$error"
done
echo "fast over exact: $(awk -v a="$(cat "$work/exact.seconds")" -v b="$(cat "$work/fast.seconds")" \
    'BEGIN {printf "%.2fx", a / b}')"
