#!/usr/bin/env bash
# Plants known-dangerous small bugs in the library one at a time, rebuilds
# the native test program, runs the tests that cover each bug, and reports
# every one the suite misses.  Exit status 0 only when every mutant is caught.
#
#   bash scripts/mutate.sh              every mutant, each against its tests
#   bash scripts/mutate.sh --all        each against the whole test program
#   bash scripts/mutate.sh NAME...      only the mutants named
#
# The build goes to build/native (MFGLIST_MUTATE_BUILD names another), with
# two jobs; only the test program and what it needs are rebuilt.  Every file
# is put back as it was, whatever happens, and the program rebuilt from it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${MFGLIST_MUTATE_BUILD:-build/native}
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
exec python3 - "$build" "$@" <<'PY'
import subprocess, sys, time

build, args = sys.argv[1], sys.argv[2:]
whole = "--all" in args
wanted = [a for a in args if a != "--all"]
slow = "*BadInputNeverHurts"  # a megabyte of noise: robustness, not rules

# (name, file, text as it is, text with the bug, tests that must catch it).
# Each text occurs exactly once in its file.
MUTANTS = [
    ("network-path-guard", "src/text/windows_path.cpp",
     '== "\\\\\\\\" ? 2 : 0', '== "\\\\\\\\" ? 0 : 0',
     "CdRomDriverList.*:ExpandMacros.*:TextEdit.*"),
    ("family-id-char-boundary", "src/items/hardware_id.h",
     "&&\n           text::isCharBoundary(deviceId, kFamilyIdLength, cp)", "&& (void(cp), true)",
     "EntryTest.*:IdFilter.*"),
    ("family-id-length", "src/items/hardware_id.h",
     "kFamilyIdLength = 8;", "kFamilyIdLength = 7;",
     "EntryTest.*:IdFilter.*:DriverOrder.*"),
    ("null-id-ends-the-ids", "src/items/filters.cpp",
     "ids && i < idCount;", "ids && i < idCount && ids[i];",
     "EntryTest.*:IdFilter.*:ListRequest.*:CdRomDriverList.*"),
    ("driver-list-gap-closed", "src/listjob/list_writes.cpp",
     "if (!driverList[i]) continue;", "if (!driverList[i]) break;",
     "ListFileTest.*:CdRomDriverList.*"),
    ("family-id-replaces-device-id", "src/items/driver_order.cpp",
     "if (heldId.size() == kFamilyIdLength && newId.size() == kDeviceIdLength &&",
     "if (heldId.size() == kDeviceIdLength && newId.size() == kFamilyIdLength &&",
     "DriverOrder.*:CdRomDriverList.*"),
    ("rank-tie-older-first", "src/items/driver_order.cpp",
     "(*at)->id >= id", "(*at)->id > id",
     "DriverOrder.*:TypeRank.*:CdRomDriverList.*"),
    ("lookup-copy-every-lookup", "src/reader/parse_ini_file.cpp",
     "lookupCopyCurrent_ = true;", "lookupCopyCurrent_ = false;",
     "ReaderTest.*:FileFaults.*"),
    ("read-error-ignored", "src/listjob/process_file_walk.cpp",
     "if (error.empty()) return 1;", "if (true) return 1;",
     "ReadFaults.*:FileFaults.*"),
    ("utf8-mark-kept", "src/profile/profile_unicode.cpp",
     "held_.erase(0, 3);", "held_.erase(0, 0);",
     "ReadFaults.*:ReaderTest.*:ProfileRead.*"),
    ("line-break-cut-at-lf-only", "src/output/list_file.cpp",
     'find_first_of("\\r\\n")', 'find_first_of("\\n")',
     "ListFileTest.*:ReadFaults.*"),
    ("eof-mark-not-a-profile-blank", "src/profile/profile_syntax.h",
     "c == 0x20 || c == 0x1A;", "c == 0x20;",
     "Profile*:Reader*"),
    ("eof-mark-an-ascii-space", "src/text/mbstring.cpp",
     "return c == ' ' || (c >= '\\t' && c <= '\\r');",
     "return c == ' ' || c == '\\x1A' || (c >= '\\t' && c <= '\\r');",
     "Text*:EntryTest.*:ListRequest.*"),
    ("field-cut-inside-a-character", "src/items/fixed_field.cpp",
     "text::cutToWidth(value, width - 1, origin.codePage)",
     "std::string(value.substr(0, width - 1))",
     "EntryTest.*:ListRequest.*:ListFileTest.*"),
    ("syspatch-asks-for-an-id", "src/items/filters.cpp",
     "kSysPatchType, cp))\n            return true;", "kSysPatchType, cp)) {}",
     "EntryTest.*:CdRomDriverList.*"),
    ("abandoned-list-committed", "src/output/list_file.cpp",
     "if (state_ == State::unreadable || state_ == State::abandoned) return false;",
     "if (state_ == State::unreadable) return false;",
     "ReadFaults.*:ListFileTest.*:FileFaults.*"),
    ("windir-before-packetname", "src/items/macros.cpp",
     "out = text::replaceAll(out, keyName(Key::packetNameMacro), values.packetName, cp);\n"
     "    out = text::replaceAll(out, keyName(Key::windirMacro), values.windowsDir, cp);",
     "out = text::replaceAll(out, keyName(Key::windirMacro), values.windowsDir, cp);\n"
     "    out = text::replaceAll(out, keyName(Key::packetNameMacro), values.packetName, cp);",
     "ExpandMacros.*:EntryTest.*"),
    # lint (branch lint): each rule that says what a PC gets.
    ("lint-type-near-miss-a-warning", "tools/mfglist/lint/value_checks.cpp",
     "near.empty() ? Severity::warning : Severity::error", "Severity::warning",
     "LintCorpus.*:LintRules.*:LintPlanted.*"),
    ("lint-number-with-unit-a-warning", "tools/mfglist/lint/value_checks.cpp",
     '"write digits only");', '"write digits only", Severity::warning);',
     "LintCorpus.*:LintRules.*:LintPlanted.*"),
    ("lint-percent-name-unchecked", "tools/mfglist/lint/value_checks.cpp",
     "if (name != keyName(Key::windirMacro) && !isMacroName(name)) {",
     "if (name.empty() && !isMacroName(name)) {",
     "LintCorpus.*:LintRules.*:LintPlanted.*"),
    ("lint-windir-word-end-ignored", "tools/mfglist/lint/value_checks.cpp",
     "(after < shown.size() && isWordCharacter(shown[after]))", "(after > shown.size())",
     "LintCorpus.*:LintRules.*:LintPlanted.*"),
    ("lint-driver-in-software-file-unchecked", "tools/mfglist/lint/selection_checks.cpp",
     "if (check.role != FileRole::softProc) return;\n    for", "return;\n    for",
     "LintCorpus.*:LintRules.*:LintPlanted.*"),
    ("lint-vista-path-under-unknown-key", "tools/mfglist/lint/key_checks.cpp",
     '"vista-path-in-process-file",', '"unknown-key",',
     "LintCorpus.*:LintRules.*:LintPlanted.*"),
    ("lint-utf8-text-unchecked", "tools/mfglist/lint/encoding_checks.cpp",
     "isAscii(check.view.text) ||", "true ||",
     "LintCorpus.*:LintRules.*:LintPlanted.*"),
    ("lint-two-bracket-header-unchecked", "tools/mfglist/lint/encoding_checks.cpp",
     "if (listed == looked) return;", "return;",
     "LintCorpus.*:LintRules.*:LintPlanted.*"),
    ("lint-older-version-taken-for-newer", "tools/mfglist/lint/cdrom_order_checks.cpp",
     "if (x != y) return x > y;", "if (x != y) return x < y;",
     "LintCorpus.*:LintRules.*:LintPlanted.*"),
    ("lint-missing-cdrom-file-unreported", "tools/mfglist/lint/lint.cpp",
     "missing.push_back(name);", "",
     "LintCorpus.*:LintRules.*:LintPlanted.*"),
    ("preview-missing-cdrom-file-a-success", "tools/mfglist/preview.cpp",
     "if (!options.allowMissing) status = kExitIncomplete;", "",
     "PreviewProblems.*"),
    ("preview-relative-program-unmarked", "tools/mfglist/preview_problems.cpp",
     "if (!isAbsoluteWindowsPath(exePath))",
     "if (!isAbsoluteWindowsPath(exePath) && exePath.empty())",
     "PreviewProblems.*"),
]

def build_tests():
    return subprocess.run(["cmake", "--build", build, "--target", "mfglist_tests", "-j2"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0

def run_tests(tests):
    flt = ("*" if whole else tests) + "-" + slow
    return subprocess.run([f"{build}/tests/mfglist_tests", f"--gtest_filter={flt}"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=900).returncode == 0

chosen = [m for m in MUTANTS if not wanted or m[0] in wanted]
unknown = set(wanted) - {m[0] for m in MUTANTS}
if unknown:
    sys.exit(f"mutate: no mutant named {', '.join(sorted(unknown))}")
if not build_tests():
    sys.exit("mutate: the test program does not build as the tree is")

missed, broken, stale = [], [], []
for name, path, before, after, tests in chosen:
    with open(path, encoding="utf-8") as f:
        original = f.read()
    if original.count(before) != 1:
        stale.append(name)
        print(f"{name:32} STALE (its text is not in {path} exactly once)", flush=True)
        continue
    started = time.time()
    try:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original.replace(before, after))
        if not build_tests():
            verdict = "DOES NOT BUILD"
            broken.append(name)
        elif run_tests(tests):
            verdict = "MISSED"
            missed.append(name)
        else:
            verdict = "caught"
    finally:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original)
    print(f"{name:32} {verdict:15} {time.time() - started:5.0f} s  {path}", flush=True)

build_tests()
print(f"{len(chosen)} mutants: {len(chosen) - len(missed) - len(broken) - len(stale)} caught, "
      f"{len(missed)} missed, {len(broken)} did not build, {len(stale)} stale")
if missed or broken or stale:
    sys.exit(1)
PY
