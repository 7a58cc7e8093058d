#!/usr/bin/env python3
"""How the line's cost grows with the size of the media.  Prints a table; no
test depends on it.  (When workers pay: bench/jobs_bench.py.)

One model over one media of N sections (10,000 to 160,000): the CPU time
   of `matrix --jobs 1` and of `impact` (the folder against itself) beside
   `explain` of the same model, and each one's microseconds a section, which
   stay flat when the cost is linear.  Impact runs the model over both
   folders, so it is also set against two explains.

    python3 bench/line_scaling.py [--tool build/native/tools/mfglist]
        [--sizes 10000,20000,40000,80000,160000] [--runs 1]
"""
import argparse
import os
import shutil
import tempfile

from line_bench import catalogue, cpu_seconds, media, timed


def cpu_of(runs, args):
    """The best CPU seconds of `runs` runs of `args` (children's time)."""
    times = []
    for _ in range(runs):
        before = cpu_seconds()
        timed(args)
        times.append(cpu_seconds() - before)
    return min(times)


def scaling(tool, work, sizes, runs):
    print("| sections | explain CPU | matrix CPU | matrix / explain | impact CPU | impact / explain "
          "| impact / two explains | explain µs a section | matrix µs a section |")
    print("|---|---|---|---|---|---|---|---|---|")
    for size in sizes:
        folder = os.path.join(work, "media-%d" % size)
        models = os.path.join(work, "models-%d" % size)
        media(folder, size, True)
        catalogue(models, 1, size)
        model = os.path.join(models, os.listdir(models)[0])
        explain = cpu_of(runs, [tool, "explain", folder, "--cdrom", "--ids-file", model, "--json"])
        matrix = cpu_of(runs, [tool, "matrix", folder, "--cdrom", "--models", models, "--jobs", "1",
                               "--json"])
        impact = cpu_of(runs, [tool, "impact", folder, folder, "--cdrom", "--models", models,
                               "--jobs", "1", "--json"])
        print("| %d | %.2f s | %.2f s | %.2fx | %.2f s | %.2fx | %.2fx | %.1f | %.1f |" % (
            size, explain, matrix, matrix / explain, impact, impact / explain, impact / explain / 2,
            explain * 1e6 / size, matrix * 1e6 / size))
        shutil.rmtree(folder, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", default="build/native/tools/mfglist")
    parser.add_argument("--sizes", default="10000,20000,40000,80000,160000")
    parser.add_argument("--runs", type=int, default=1)
    options = parser.parse_args()
    tool = os.path.abspath(options.tool)
    work = tempfile.mkdtemp(prefix="mfglist-line-scaling-")
    try:
        scaling(tool, work, [int(s) for s in options.sizes.split(",")], options.runs)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
