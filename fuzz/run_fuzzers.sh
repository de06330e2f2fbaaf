#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzzer build for a bounded time, one after
# the other: run_fuzzers.sh BUILD_DIR SECONDS [TARGET...]. New inputs go to
# BUILD_DIR/fuzz-work/TARGET (the seed corpus under fuzz/corpus/ is only read),
# findings to BUILD_DIR/fuzz-findings/TARGET. Exits non-zero on a finding.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:?build folder}
seconds=${2:?seconds per target}
shift 2
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(data_file evaluator operators formula_file cli_options picture)

status=0
for target in "${targets[@]}"; do
    work="$build_dir/fuzz-work/$target"
    findings="$build_dir/fuzz-findings/$target"
    mkdir -p "$work" "$findings"
    log="$build_dir/fuzz-$target.log"
    echo "fuzz_$target: $seconds s, log in $log"
    if ! "$build_dir/fuzz/fuzz_$target" "$work" "fuzz/corpus/$target" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
        -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1; then
        echo "fuzz_$target: FINDING, see $log and $findings" >&2
        status=1
    fi
    grep -E '^stat::number_of_executed_units' "$log" | sed "s/^/fuzz_$target: /" || true
done
exit $status
