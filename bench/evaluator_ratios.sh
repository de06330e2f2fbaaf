#!/usr/bin/env bash
# Runs evaluator_bench once and prints, for each function set and program
# length, the node-case rates of the three evaluators side by side and the
# ratios fast over batch and batch over reference.
set -euo pipefail
bench=${1:-build/bench/evaluator_bench}
"$bench" --benchmark_format=json 2>/dev/null | python3 -c '
import json, sys
rates = {}
for run in json.load(sys.stdin)["benchmarks"]:
    name, length = run["name"].split("/")
    workload, evaluator = name.split("_")
    rates.setdefault((workload, int(length)), {})[evaluator] = run["node-cases/s"]
print("%-14s %6s %12s %12s %12s %10s %12s" % ("set", "nodes", "reference", "batch", "fast",
                                                 "fast/batch", "batch/ref"))
for (workload, length), r in rates.items():
    print("%-14s %6d %12.3g %12.3g %12.3g %9.1fx %11.1fx" % (
        workload, length, r["Reference"], r["Batch"], r["Fast"], r["Fast"] / r["Batch"],
        r["Batch"] / r["Reference"]))
'
