#!/usr/bin/env python3
"""Where `matrix`'s worker processes start to pay: the wall time of one
catalogue run with --jobs 1, with one job per core, and with the default,
for catalogues of 1 to 64 models over the line benchmark's 300-entry CD-ROM
media.  A worker costs a process and a load of the library before its first
model; below some number of models one worker is faster, and the default
must never be slower than --jobs 1.  Prints a table and that number; no
test depends on it.

    python3 bench/jobs_bench.py [--tool build/native/tools/mfglist] [--entries 300]
        [--runs 5] [--models 1,2,4,8,16,32,64]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import line_bench  # noqa: E402  (the media and catalogue of the line benchmark)


def best_walls(variants, runs):
    """The fastest of `runs` runs of each command, the commands taken in
    turn within each round so that a change of the machine's load falls on
    all of them alike: on a shared machine the others' load only ever adds
    time."""
    best = [None] * len(variants)
    for _ in range(runs):
        for i, args in enumerate(variants):
            start = time.perf_counter()
            subprocess.run(args, check=True, stdout=subprocess.DEVNULL)
            took = time.perf_counter() - start
            best[i] = took if best[i] is None else min(best[i], took)
    return best


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", default="build/native/tools/mfglist")
    parser.add_argument("--entries", type=int, default=300)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--models", default="1,2,4,8,16,32,64")
    options = parser.parse_args()
    cores = os.cpu_count() or 1
    counts = [int(c) for c in options.models.split(",")]
    scratch = tempfile.mkdtemp(prefix="mfglist-jobs-")
    try:
        folder = os.path.join(scratch, "media")
        line_bench.media(folder, options.entries, True)
        print("matrix over %d entries, fastest of %d runs, %d cores" % (options.entries, options.runs, cores))
        print("%7s  %9s  %9s  %9s  %s" % ("models", "--jobs 1", "--jobs %d" % cores, "default", "faster"))
        faster = []
        for count in counts:
            models = os.path.join(scratch, "models-%d" % count)
            line_bench.catalogue(models, count, options.entries)
            base = [options.tool, "matrix", folder, "--cdrom", "--models", models]
            one, many, default = best_walls([base + ["--jobs", "1"], base + ["--jobs", str(cores)], base],
                                            options.runs)
            faster.append(many < one)
            print("%7d  %8.3fs  %8.3fs  %8.3fs  %s" % (count, one, many, default,
                                                    "workers" if many < one else "one worker"))
        # From the smallest count on which the workers win at every larger
        # one: a single win amid losses is the machine's noise.
        pays = next((counts[i] for i in range(len(counts)) if all(faster[i:])), None)
        print("workers start to pay at %s" % ("%d models" % pays if pays is not None
                                               else "no count up to %d models" % counts[-1]))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
