#!/usr/bin/python3
"""The codec against what a user would pick instead, at equal bytes.

For every photo (bench/photos.py), grid size and byte budget, quba-cli
compresses the grid into a formula file within the budget; the file is
decoded with --open-formula and its PSNR computed here from the decoded
grid. Beside it, at the same budget: a scaled-up 8-bit thumbnail, a
truncated DCT with honest bytes, and JPEG and WebP files (bench/baselines.py).

    bench/codec_bench.py build/cli/quba-cli [--sizes 32,64,128]
        [--budgets 32,64,128,256,512,1024] [--kinds portrait,text] [--plot FILE]
        [-- extra quba-cli options]

Prints one table row per photo, size and budget, and the seconds each
compression took."""
import argparse
import math
import os
import subprocess
import sys
import tempfile
import time

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import baselines  # noqa: E402
import photos  # noqa: E402

# The codec's settings for the benchmark; anything after "--" is added.
CODEC_OPTIONS = ["--tiles", "auto", "--linear-scaling", "--arithmetic", "fast", "--seed", "1",
                 "--quiet"]


def read_grid(path):
    rows = [line for line in open(path) if line.strip() and not line.startswith("QUBA")]
    return np.array([[float(v) for v in row.split()] for row in rows])


def compress(cli, photo, size, budget, extra, folder):
    """(file bytes, decoded PSNR, seconds, the grid)."""
    formula = os.path.join(folder, "f.qf")
    training = os.path.join(folder, "grid.txt")
    decoded = os.path.join(folder, "decoded.txt")
    start = time.monotonic()
    subprocess.run([cli, "--image", photo, "--size", str(size), "--budget", str(budget),
                    "--save-formula", formula, "--save-training", training] + CODEC_OPTIONS + extra,
                   check=True, stdout=subprocess.DEVNULL)
    seconds = time.monotonic() - start
    subprocess.run([cli, "--open-formula", formula, "--save-output", decoded], check=True,
                   stdout=subprocess.DEVNULL)
    grid = read_grid(training)
    return os.path.getsize(formula), baselines.psnr(grid, read_grid(decoded)), seconds, grid


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("--sizes", default="32,64,128")
    parser.add_argument("--budgets", default="32,64,128,256,512,1024")
    parser.add_argument("--kinds", default=",".join(photos.KINDS))
    parser.add_argument("--plot")
    argv = sys.argv[1:]
    extra = argv[argv.index("--") + 1:] if "--" in argv else []
    args = parser.parse_args(argv[:argv.index("--")] if "--" in argv else argv)
    args.extra = extra
    sizes = [int(s) for s in args.sizes.split(",")]
    budgets = [int(b) for b in args.budgets.split(",")]
    results = []
    with tempfile.TemporaryDirectory() as folder:
        paths = photos.write_photos(os.path.join(folder, "photos"))
        print("| photo | cells | budget | formula | thumbnail | DCT | JPEG | WebP | bytes | s |")
        print("|---|---|---|---|---|---|---|---|---|---|")
        for kind in args.kinds.split(","):
            for size in sizes:
                for budget in budgets:
                    bytes_, quality, seconds, grid = compress(args.cli, paths[kind], size, budget,
                                                              args.extra, folder)
                    row = {"kind": kind, "size": size, "budget": budget, "formula": quality}
                    for name, method in baselines.BASELINES.items():
                        best = method(grid, budget)
                        row[name] = None if best is None else baselines.psnr(grid, best[1])
                    results.append(row)
                    shown = ["-" if row[k] is None else "%.1f" % min(row[k], 99)
                             for k in ["formula"] + list(baselines.BASELINES)]
                    print("| %s | %d | %d | %s | %d | %.1f |" % (kind, size, budget,
                                                               " | ".join(shown), bytes_, seconds),
                          flush=True)
    print()
    for line in summary(results):
        print(line)
    if args.plot:
        plot(results, sizes, args.plot)


def summary(results):
    """How often the codec is at least as good as each alternative, in full
    precision, over all budgets and over those up to 256 bytes."""
    lines = []
    for name in baselines.BASELINES:
        for limit in (256, None):
            rows = [r for r in results if r[name] is not None and (limit is None or r["budget"] <= limit)]
            wins = sum(1 for r in rows if r["formula"] >= r[name])
            lines.append("formula >= %s%s: %d of %d" % (name, "" if limit is None else " up to %d bytes" % limit,
                                                      wins, len(rows)))
    return lines


def plot(results, sizes, path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    kinds = sorted({r["kind"] for r in results})
    figure, axes = plt.subplots(len(sizes), len(kinds), figsize=(3.2 * len(kinds), 2.8 * len(sizes)),
                                squeeze=False)
    for i, size in enumerate(sizes):
        for j, kind in enumerate(kinds):
            ax = axes[i][j]
            rows = [r for r in results if r["kind"] == kind and r["size"] == size]
            for name in ["formula"] + list(baselines.BASELINES):
                points = [(r["budget"], r[name]) for r in rows
                          if r[name] is not None and math.isfinite(r[name])]
                if points:
                    ax.plot(*zip(*points), marker="o", markersize=3, label=name)
            ax.set_xscale("log", base=2)
            ax.set_title("%s, %d cells" % (kind, size), fontsize=9)
            ax.tick_params(labelsize=7)
            if i == len(sizes) - 1:
                ax.set_xlabel("bytes", fontsize=8)
            if j == 0:
                ax.set_ylabel("PSNR dB", fontsize=8)
    axes[0][0].legend(fontsize=7)
    figure.tight_layout()
    figure.savefig(path, dpi=110)


if __name__ == "__main__":
    main()
