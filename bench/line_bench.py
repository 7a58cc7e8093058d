#!/usr/bin/env python3
"""The whole line's figures: `mfglist matrix` over 100 models against 100
sequential `mfglist host` runs of the same lists, in the same run, for a
300-entry CD-ROM media and a 300-entry process file; the peak memory of the
largest process of the matrix (the parent or a worker); `impact` against
`matrix`.  Prints a table; no test depends on it.

    python3 bench/line_bench.py [--tool build/native/tools/mfglist] [--models 100]
        [--entries 300] [--jobs N] [--runs 3]
"""
import argparse
import os
import random
import resource
import shutil
import subprocess
import sys
import tempfile
import time


def media(folder, entries, cdrom):
    """A media of `entries` driver sections: families and devices of 50
    vendors, so that each model matches a few dozen of them."""
    os.makedirs(folder)
    lines = []
    if not cdrom:
        lines += ["[PRELOAD]", "LOG_FILE=$TESTDIR\\LOGS\\PRELOAD.LOG", ""]
    for i in range(entries):
        hardid = "%04X%04X" % (0x1000 + i % 50, i) + ("C0DE%04X" % (i % 7) if i % 3 else "")
        lines += ["[DRV_%03d]" % i, "NAME=Driver %d" % i, "ID=%d" % (i + 1), "HARDID=" + hardid,
                  "TYPE=TYPE%d" % (i % 9), "EXEPATH=$MFGPROCPATH\\DRV_%03d\\SETUP.EXE" % i,
                  "EXEPATHVISTA32=$MFGPROCPATH\\DRV_%03d\\VISTA\\SETUP.EXE" % i,
                  "PACKETNAME=PKG_%03d" % i, "TIMEOUT=300"]
        if not cdrom:
            lines.append("GROUP=PRELOAD")
        lines.append("")
    name = "DrvProc.ini" if cdrom else "MfgProc.ini"
    with open(os.path.join(folder, name), "w", newline="\r\n") as f:
        f.write("\n".join(lines))
    if cdrom:
        for other in ("DrvCofg.ini", "SoftProc.ini"):
            open(os.path.join(folder, other), "w").close()


def catalogue(folder, models, entries):
    os.makedirs(folder)
    rng = random.Random(20)
    for m in range(models):
        ids = []
        for _ in range(40):
            i = rng.randrange(entries)
            ids.append("%04X%04XC0DE%04X" % (0x1000 + i % 50, i, i % 7))
        with open(os.path.join(folder, "model-%03d.ids" % m), "w") as f:
            f.write("# model: Model %d\n" % m + "\n".join(ids) + "\n")


def cpu_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(args, env=None):
    start = time.perf_counter()
    done = subprocess.run(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    if done.returncode not in (0, 1):
        sys.exit("bench: %s failed: %s" % (" ".join(args[:2]), done.stderr.decode()))
    return time.perf_counter() - start


def best(runs, action):
    return min(action() for _ in range(runs))


def sequential_hosts(tool, media_folder, models_folder, scratch, cdrom):
    """One `mfglist host` per model, the factory's own call, one after another."""
    drives = {x: os.path.join(scratch, x) for x in "CDL"}
    for folder in drives.values():
        os.makedirs(folder, exist_ok=True)
    drive_map = ";".join("%s=%s" % (k, v) for k, v in drives.items()) + ";P=" + media_folder
    command = "mfglist -D P:\\ -P P:\\"

    def run():
        start = time.perf_counter()
        for name in sorted(os.listdir(models_folder)):
            subprocess.run([tool, "host", "--command-line", command, "--ids-file",
                            os.path.join(models_folder, name), "--output", "L:\\list.ini",
                            "--drives", drive_map, "--winver", "5.1", "--allow-empty"],
                           check=True, stdout=subprocess.DEVNULL)
        return time.perf_counter() - start
    return run


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", default="build/native/tools/mfglist")
    parser.add_argument("--models", type=int, default=100)
    parser.add_argument("--entries", type=int, default=300)
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--runs", type=int, default=3)
    options = parser.parse_args()
    tool = os.path.abspath(options.tool)
    cores = os.cpu_count() or 1
    work = tempfile.mkdtemp(prefix="mfglist-line-bench-")
    try:
        models = os.path.join(work, "models")
        catalogue(models, options.models, options.entries)
        print("%d models, %d entries, %d jobs on %d cores; best of %d runs" %
              (options.models, options.entries, options.jobs, cores, options.runs))
        print("| media | %d host runs | matrix | speed-up | goal (0.8 x cores) | CPU: hosts / matrix | peak memory, largest process | impact | impact / matrix |" % options.models)
        print("|---|---|---|---|---|---|---|---|---|")
        for cdrom in (True, False):
            folder = os.path.join(work, "cdrom" if cdrom else "process-file")
            media(folder, options.entries, cdrom)
            mode = ["--cdrom"] if cdrom else []
            cpu = cpu_seconds()
            hosts = best(options.runs, sequential_hosts(tool, folder, models, os.path.join(work, "drives"), cdrom))
            hosts_cpu = cpu_seconds() - cpu
            matrix_args = [tool, "matrix", folder, "--models", models, "--jobs", str(options.jobs), "--json"] + mode
            before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
            cpu = cpu_seconds()
            matrix = best(options.runs, lambda: timed(matrix_args))
            matrix_cpu = cpu_seconds() - cpu
            peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
            impact_args = [tool, "impact", folder, folder, "--models", models, "--jobs", str(options.jobs), "--json"] + mode
            impact = best(options.runs, lambda: timed(impact_args))
            print("| %s | %.2f s | %.2f s | %.2fx | %.1fx | %.2f s / %.2f s | %s | %.2f s | %.2fx |" % (
                "CD-ROM" if cdrom else "process file", hosts, matrix, hosts / matrix, 0.8 * cores,
                hosts_cpu, matrix_cpu,
                "%d MB" % (max(peak, before) // 1024), impact, impact / matrix))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
