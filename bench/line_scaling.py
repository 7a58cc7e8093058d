#!/usr/bin/env python3
"""How the line's cost grows, and when workers pay.  Prints two tables; no
test depends on them.

1. One model over one media of N sections (10,000 to 160,000): the CPU time
   of `matrix --jobs 1` and of `impact` (the folder against itself) beside
   `explain` of the same model, and each one's microseconds a section, which
   stay flat when the cost is linear.
2. Small catalogues (1 to 50 models of a 60-entry media): the wall time of
   `matrix` with the default --jobs against --jobs 1.

    python3 bench/line_scaling.py [--tool build/native/tools/mfglist]
        [--sizes 10000,20000,40000,80000,160000] [--runs 1]
"""
import argparse
import os
import shutil
import tempfile

from line_bench import best, catalogue, cpu_seconds, media, timed


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
          "| explain µs a section | matrix µs a section |")
    print("|---|---|---|---|---|---|---|---|")
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
        print("| %d | %.2f s | %.2f s | %.2fx | %.2f s | %.2fx | %.1f | %.1f |" % (
            size, explain, matrix, matrix / explain, impact, impact / explain,
            explain * 1e6 / size, matrix * 1e6 / size))
        shutil.rmtree(folder, ignore_errors=True)


def jobs(tool, work, runs):
    cores = os.cpu_count() or 1
    print("\n| models | --jobs 1 | default --jobs (%d cores) | default / --jobs 1 |" % cores)
    print("|---|---|---|---|")
    folder = os.path.join(work, "small-media")
    media(folder, 60, True)
    for count in (1, 2, 5, 10, 20, 50):
        models = os.path.join(work, "small-models-%d" % count)
        catalogue(models, count, 60)
        base = [tool, "matrix", folder, "--cdrom", "--models", models, "--json"]
        one = best(runs, lambda: timed(base + ["--jobs", "1"]))
        default = best(runs, lambda: timed(base))
        print("| %d | %.3f s | %.3f s | %.2f |" % (count, one, default, default / one))


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
        jobs(tool, work, max(options.runs, 3))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
