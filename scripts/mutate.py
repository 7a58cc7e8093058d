"""Plants known-dangerous small bugs, one at a time, and reports every one
the suite misses.  The mutants are data (scripts/mutants.json: name, group,
file, text, the text with the bug, the tests that must catch it, and the test
program, "core" or "tool", which defaults by the file's tree).  Bugs are
planted in a scratch copy of the tree (build/mutate/tree, built in
build/mutate/build), never in the sources, so a run that is killed leaves
nothing behind; the next run brings the copy up to date again.

  python3 scripts/mutate.py [--all] [--check] [NAME...]
"""
import json
import os
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MUTANTS_FILE = os.path.join(ROOT, "scripts", "mutants.json")
SLOW = "*BadInputNeverHurts"  # a megabyte of noise: robustness, not rules
PROGRAMS = {  # test program: its build target and its binary
    "core": ("mfglist_tests", "tests/mfglist_tests"),
    "tool": ("mfglist_tool_tests", "tests/tool/mfglist_tool_tests"),
}
FIELDS = {"name", "group", "file", "text", "bug", "tests", "program"}


def program_of(mutant):
    return mutant.get("program") or ("tool" if mutant["file"].startswith("tools/") else "core")


def anchor_fault(mutant, tree):
    """What keeps a mutant from being planted as written, or None."""
    missing = {"name", "file", "text", "bug", "tests"} - mutant.keys()
    if missing or mutant.keys() - FIELDS:
        return f"has fields {sorted(mutant)}, not name, file, text, bug, tests[, group, program]"
    if program_of(mutant) not in PROGRAMS:
        return f"names no known test program ({', '.join(PROGRAMS)})"
    if mutant["text"] == mutant["bug"]:
        return "its text with the bug is its text"
    try:
        with open(os.path.join(tree, mutant["file"]), encoding="utf-8") as f:
            count = f.read().count(mutant["text"])
    except OSError:
        return f"its file {mutant['file']} cannot be read"
    if count != 1:
        return f"its text is in {mutant['file']} {count} times, not once"
    return None


def check_anchors(mutants):
    names = [m.get("name") for m in mutants]
    faults = [(n, "is named twice") for n in sorted({n for n in names if names.count(n) > 1})]
    faults += [(m.get("name"), f) for m in mutants if (f := anchor_fault(m, ROOT))]
    for name, fault in faults:
        print(f"{name:32} STALE ({fault})")
    print(f"{len(mutants)} mutants: {len(mutants) - len(faults)} anchored, {len(faults)} stale")
    return not faults


def tracked_files():
    listing = subprocess.run(["git", "-C", ROOT, "ls-files", "-z", "--cached", "--others",
                              "--exclude-standard"], check=True, capture_output=True).stdout
    return [p for p in listing.decode().split("\0") if p and os.path.isfile(os.path.join(ROOT, p))]


def sync_copy(tree):
    """Makes `tree` hold the sources as they are; files that did not change
    keep their times, so the copy's build rebuilds only what did."""
    wanted = set(tracked_files())
    for path in wanted:
        source, target = os.path.join(ROOT, path), os.path.join(tree, path)
        with open(source, "rb") as f:
            data = f.read()
        try:
            with open(target, "rb") as f:
                if f.read() == data:
                    continue
        except OSError:
            os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(data)
        shutil.copymode(source, target)
    for folder, _, files in os.walk(tree):
        for name in files:
            path = os.path.relpath(os.path.join(folder, name), tree)
            if path not in wanted:
                os.remove(os.path.join(folder, name))


def main(args):
    with open(MUTANTS_FILE, encoding="utf-8") as f:
        mutants = json.load(f)
    if "--check" in args:
        return 0 if check_anchors(mutants) else 1
    whole = "--all" in args
    wanted = [a for a in args if not a.startswith("--")]
    unknown = set(wanted) - {m["name"] for m in mutants}
    if unknown:
        sys.exit(f"mutate: no mutant named {', '.join(sorted(unknown))}")
    chosen = [m for m in mutants if not wanted or m["name"] in wanted]

    scratch = os.path.join(ROOT, "build", "mutate")
    tree = os.path.join(scratch, "tree")
    build = os.environ.get("MFGLIST_MUTATE_BUILD") or os.path.join(scratch, "build")
    sync_copy(tree)
    if not os.path.exists(os.path.join(build, "build.ninja")):
        subprocess.run(["cmake", "-S", tree, "-B", build, "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release"], check=True, stdout=subprocess.DEVNULL)

    def build_tests(program):
        return subprocess.run(["cmake", "--build", build, "--target", PROGRAMS[program][0], "-j2"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0

    def run_tests(program, tests):
        selected = ("*" if whole else tests) + "-" + SLOW
        return subprocess.run([os.path.join(build, PROGRAMS[program][1]), f"--gtest_filter={selected}"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=900).returncode == 0

    programs = sorted({program_of(m) for m in chosen if program_of(m) in PROGRAMS})
    for program in programs:
        if not build_tests(program):
            sys.exit(f"mutate: the {program} test program does not build as the tree is")

    missed, broken, stale = [], [], []
    for mutant in chosen:
        name, path = mutant["name"], os.path.join(tree, mutant["file"])
        program = program_of(mutant)
        fault = anchor_fault(mutant, tree)
        if fault:
            stale.append(name)
            print(f"{name:32} STALE ({fault})", flush=True)
            continue
        with open(path, encoding="utf-8") as f:
            original = f.read()
        started = time.time()
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original.replace(mutant["text"], mutant["bug"]))
            if not build_tests(program):
                verdict = "DOES NOT BUILD"
                broken.append(name)
            elif run_tests(program, mutant["tests"]):
                verdict = "MISSED"
                missed.append(name)
            else:
                verdict = "caught"
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
        print(f"{name:32} {verdict:15} {time.time() - started:5.0f} s  {program:4}  {mutant['file']}",
              flush=True)

    print(f"{len(chosen)} mutants: {len(chosen) - len(missed) - len(broken) - len(stale)} caught, "
          f"{len(missed)} missed, {len(broken)} did not build, {len(stale)} stale")
    return 1 if missed or broken or stale else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
