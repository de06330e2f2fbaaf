#!/usr/bin/env python3
"""Old against new: runs two quba-cli programs on the same random
configurations and compares their run records, leaving out the figures one
of them may not have. Prints the number of configurations compared and of
differences; exits 1 on a difference.

    scripts/compare_runs.py OLD_CLI NEW_CLI [COUNT] [SEED]
"""
import json
import random
import subprocess
import sys
import tempfile

PATTERNS = ["circle", "circle2", "cup", "line", "line2", "line3", "S curve"]
FUNCTIONS = ["+", "-", "*", "/", "sin", "cos", "tan", "ln", "log10", "sqrt", "if>", "if<"]
# Figures added after the older program: compared only where both have them.
COMMON_ONLY = True
# Figures whose meaning changed: formulaBytes became the size of the formula
# file that holds the program, and the ratio follows it.
REDEFINED = {"formulaBytes", "compressionRatio"}


def configuration(rng):
    populations = rng.randint(1, 4)
    per = lambda make: ",".join(str(make()) for _ in range(populations))
    arguments = [
        "--pattern", rng.choice(PATTERNS),
        "--size", str(rng.randint(2, 20)),
        "--functions", ",".join(rng.sample(FUNCTIONS, rng.randint(1, 6))),
        "--constants", str(rng.choice([1, 3, 10, 100, 1000])),
        "--populations", str(populations),
        "--population-size", per(lambda: rng.randint(2, 120)),
        "--generations", per(lambda: rng.randint(0, 12)),
        "--selection", per(lambda: rng.choice(["proportional", "tournament", "random"])),
        "--tournament-size", per(lambda: rng.randint(1, 2)),
        "--crossover", per(lambda: rng.choice(["0.7", "0.5", "0.0", "0.3"])),
        "--mutation", per(lambda: rng.choice(["0.2", "0.1", "0.0"])),
        "--one-point", per(lambda: rng.choice(["0.0", "0.1", "0.2"])),
        "--elite", per(lambda: rng.choice(["10", "off", "25", "0.5"])),
        "--max-length", per(lambda: rng.choice([70, 100, 150])),
        "--max-depth", per(lambda: rng.randint(1, 6)),
        "--seed", str(rng.randint(0, 2**32 - 1)),
        "--threads", str(rng.randint(1, 2)),
        "--quiet",
    ]
    if rng.random() < 0.3:
        arguments += ["--noise", rng.choice(["0.05", "0.5", "1"])]
    if rng.random() < 0.2:
        arguments += ["--arithmetic", "fast"]
    return arguments


def common(old, new):
    """The parts of `new` that `old` has too, recursively, but the redefined ones."""
    if isinstance(old, dict) and isinstance(new, dict):
        return {k: common(old[k], new[k]) for k in old if k in new and k not in REDEFINED}
    if isinstance(old, list) and isinstance(new, list):
        return [common(a, b) for a, b in zip(old, new)] + new[len(old):]
    return new


def run(cli, arguments):
    with tempfile.NamedTemporaryFile(suffix=".json") as record:
        done = subprocess.run([cli] + arguments + ["--json", record.name],
                              capture_output=True, timeout=600)
        text = open(record.name).read() if done.returncode == 0 else ""
        return done.returncode, done.stdout, json.loads(text) if text else None


def main():
    old_cli, new_cli = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 100
    rng = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 1)
    differences = 0
    for _ in range(count):
        arguments = configuration(rng)
        old = run(old_cli, arguments)
        new = run(new_cli, arguments)
        same = old[0] == new[0] and old[1] == new[1]
        if same and old[2] is not None:
            kept = lambda record, other: common(other, record) if COMMON_ONLY else record
            same = common(new[2], old[2]) == kept(new[2], old[2])
        if not same:
            differences += 1
            print("differ:", " ".join(arguments), file=sys.stderr)
    print(f"compared {count} differences {differences}")
    sys.exit(1 if differences else 0)


if __name__ == "__main__":
    main()
