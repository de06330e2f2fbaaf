#!/usr/bin/env python3
"""The search that fits (--linear-scaling --tune-constants 10) against the
plain search.

1. The default workload (circle, 30 x 30, one population of 1000, 50
   generations) for seeds 1 to 3, with both options and without: the best
   training error and the processor time of each run.
2. Five photos at 32 and 64 cells: the PSNR of the best formula of at most
   256 bytes (from the size-accuracy front), both searches at equal processor
   time: the plain search gets as many generations as the new one's time
   buys it. Seeds 1 to 3, averaged.

    bench/search_bench.py build/cli/quba-cli [SEEDS]
"""
import json
import os
import resource
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from photos import write_photos  # noqa: E402

NEW = ["--linear-scaling", "--tune-constants", "10"]
BUDGET_BYTES = 256


def run(cli, arguments):
    """The run record and the processor time the run took."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    done = subprocess.run([cli] + arguments + ["--quiet", "--json", "-"],
                          capture_output=True, check=True, text=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    seconds = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return json.loads(done.stdout), seconds


def best_within(record, budget):
    """The highest training PSNR of a front member of at most `budget` bytes."""
    best = float("-inf")
    for population in record["populations"]:
        for member in population.get("front", []):
            if member["formulaBytes"] <= budget and isinstance(member["psnr"], float):
                best = max(best, member["psnr"])
    return best


def default_workload(cli, seeds):
    print("| default workload | seed | best training error | processor s |")
    print("|---|---|---|---|")
    times = {"plain search": [], "scaling + tuning": []}
    for seed in seeds:
        for label, extra in (("plain search", []), ("scaling + tuning", NEW)):
            record, seconds = run(cli, ["--pattern", "circle", "--seed", str(seed)] + extra)
            error = record["populations"][0]["history"][-1]["training"]
            times[label].append(seconds)
            print(f"| {label} | {seed} | {error:.3g} | {seconds:.2f} |")
    ratio = sum(times["scaling + tuning"]) / sum(times["plain search"])
    print(f"\nprocessor time with both options: {ratio:.2f} x the plain search\n")


def photos(cli, seeds, folder):
    print("| photo | cells | plain search dB | scaling + tuning dB | gain dB |"
          " processor s each | generations of the plain search |")
    print("|---|---|---|---|---|---|---|")
    gains = []
    for kind, path in write_photos(folder).items():
        for size in (32, 64):
            grid = ["--image", path, "--size", str(size)]
            old_psnr, new_psnr, budget, generations = [], [], [], []
            for seed in seeds:
                base = grid + ["--seed", str(seed)]
                record, new_seconds = run(cli, base + NEW)
                new_psnr.append(best_within(record, BUDGET_BYTES))
                # The plain search per generation, then as many as the time buys.
                _, probe = run(cli, base + ["--generations", "10"])
                count = max(50, round(10 * new_seconds / probe))
                record, _ = run(cli, base + ["--generations", str(count)])
                old_psnr.append(best_within(record, BUDGET_BYTES))
                budget.append(new_seconds)
                generations.append(count)
            old = sum(old_psnr) / len(old_psnr)
            new = sum(new_psnr) / len(new_psnr)
            gains.append(new - old)
            print(f"| {kind} | {size} | {old:.2f} | {new:.2f} | {new - old:+.2f} |"
                  f" {sum(budget) / len(budget):.1f} | {round(sum(generations) / len(generations))} |")
    print(f"\nmean gain: {sum(gains) / len(gains):+.2f} dB")


def main():
    cli = sys.argv[1] if len(sys.argv) > 1 else "build/cli/quba-cli"
    seeds = range(1, int(sys.argv[2]) + 1) if len(sys.argv) > 2 else range(1, 4)
    default_workload(cli, seeds)
    with tempfile.TemporaryDirectory() as folder:
        photos(cli, seeds, folder)


if __name__ == "__main__":
    main()
