#!/usr/bin/env bash
# Plants known-dangerous small bugs in the library and the tool one at a
# time, rebuilds the test program that covers each, runs the tests that must
# catch it, and reports every one the suite misses.  Exit status 0 only when
# every mutant is caught.  The full run is done before each release.
#
#   bash scripts/mutate.sh              every mutant, each against its tests
#   bash scripts/mutate.sh --all        each against its whole test program
#   bash scripts/mutate.sh NAME...      only the mutants named
#   bash scripts/mutate.sh --check      no build: only that every mutant's
#                                       file exists and holds its text exactly
#                                       once (ctest runs this as
#                                       mutation_anchors)
#
# The build goes to build/native (MFGLIST_MUTATE_BUILD names another), with
# two jobs; only the test program a mutant needs and what it needs are
# rebuilt.  Every file is put back as it was, whatever happens, and the
# programs rebuilt from it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${MFGLIST_MUTATE_BUILD:-build/native}
if [ "${1:-}" != --check ] && [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
exec python3 - "$build" "$@" <<'PY'
import subprocess, sys, time

build, args = sys.argv[1], sys.argv[2:]
check_only = "--check" in args
whole = "--all" in args
wanted = [a for a in args if a not in ("--all", "--check")]
slow = "*BadInputNeverHurts"  # a megabyte of noise: robustness, not rules

# The test programs a mutant can name: its build target and its binary.  The
# tool's tests run the built `mfglist` and library as processes, and their
# target depends on both, so building it rebuilds whatever a mutant touched.
PROGRAMS = {
    "core": ("mfglist_tests", "tests/mfglist_tests"),
    "tool": ("mfglist_tool_tests", "tests/tool/mfglist_tool_tests"),
}

# (name, file, text as it is, text with the bug, tests that must catch it,
#  test program).  Each text occurs exactly once in its file.  The program is
# "core" or "tool"; left out, it is "tool" for a file under tools/ and "core"
# for any other.
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
     "if (!request.driverList[i]) continue;", "if (!request.driverList[i]) break;",
     "ListFileTest.*:CdRomDriverList.*"),
    ("family-id-replaces-device-id", "src/items/driver_order.cpp",
     "offeredUpperId, cp))\n        return Relation::deviceHeld;",
     "offeredUpperId, cp))\n        return Relation::familyHeld;",
     "DriverOrder.*:CdRomDriverList.*"),
    ("rank-tie-older-first", "src/items/driver_order.h",
     "held.id >= offered.id", "held.id > offered.id",
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
    ("line-break-cut-at-lf-only", "src/profile/profile_syntax.h",
     "'\\r' && isLineEnd(text[i])) return i;", "'\\r' && text[i] == '\\n') return i;",
     "ListFileTest.*:ReadFaults.*"),
    ("eof-mark-not-a-profile-blank", "src/profile/profile_syntax.h",
     "c == 0x20 || c == 0x1A;", "c == 0x20;",
     "Profile*:Reader*"),
    ("eof-mark-an-ascii-space", "src/text/mbstring.h",
     "return c == ' ' || (c >= '\\t' && c <= '\\r');",
     "return c == ' ' || c == '\\x1A' || (c >= '\\t' && c <= '\\r');",
     "Text*:EntryTest.*:ListRequest.*"),
    ("field-cut-inside-a-character", "src/items/fixed_field.cpp",
     "text::cutToWidth(value, width - 1, origin.codePage)",
     "std::string(value.substr(0, width - 1))",
     "EntryTest.*:ListRequest.*:ListFileTest.*"),
    ("syspatch-asks-for-an-id", "src/items/filters.cpp",
     "kSysPatchType, cp)) {\n            match.matched = match.sysPatch = true;\n"
     "            return match;\n        }",
     "kSysPatchType, cp)) {\n        }",
     "EntryTest.*:CdRomDriverList.*"),
    ("abandoned-list-committed", "src/output/list_file.cpp",
     "if (state_ == State::unreadable || state_ == State::abandoned) return false;",
     "if (state_ == State::unreadable) return false;",
     "ReadFaults.*:ListFileTest.*:FileFaults.*"),
    ("windir-before-packetname", "src/items/macros.cpp",
     "replaceAllIn(out, keyName(Key::packetNameMacro), values.packetName, cp);\n"
     "            replaceAllIn(out, keyName(Key::windirMacro), values.windowsDir, cp);",
     "replaceAllIn(out, keyName(Key::windirMacro), values.windowsDir, cp);\n"
     "            replaceAllIn(out, keyName(Key::packetNameMacro), values.packetName, cp);",
     "ExpandMacros.*:EntryTest.*"),
    # explain's decision observer: what it is told of a run
    ("observer-reason-of-type-swapped", "src/listjob/run_filters.cpp",
     "? listjob::LeftOut::notSoftwareInSoftwareList\n"
     "                                         : listjob::LeftOut::softwareInDriverList",
     "? listjob::LeftOut::softwareInDriverList\n"
     "                                         : listjob::LeftOut::notSoftwareInSoftwareList",
     "ToolExplain.*", "tool"),
    ("observer-replaced-entry-unnamed", "src/listjob/cdrom_driver_list.cpp",
     "outcome.refusedBy ? outcome.refusedBy : outcome.replaced.get();",
     "outcome.refusedBy;",
     "CdRomDriverList.*", "core"),
    ("observer-config-driver-unplaced", "src/listjob/cdrom_driver_list.cpp",
     "decisionObserver->heldOrigins.remember(item.get(), *at);\n"
     "                decisionObserver->configDriverAppended(*at);",
     "decisionObserver->configDriverAppended(*at);",
     "ToolExplain.*", "tool"),
    # the folder-listing rule: a kept listing must not hide a change
    ("folder-listing-fat-margin-one-step", "src/platform/posix/folder_listing.cpp",
     "(step == 1'000'000'000 ? 2 * step :", "(step == 1'000'000'000 ? step :",
     "PathResolutionCost.*:PosixPaths.*", "core"),
    ("folder-listing-kept-in-its-tick", "src/platform/posix/folder_listing.cpp",
     "return changed + marginNs < nanoseconds(listedAt);",
     "return changed + marginNs / 100 < nanoseconds(listedAt);",
     "PathResolutionCost.*:PosixPaths.*", "core"),
    ("folder-listing-first-spelling-wins", "src/platform/posix/folder_listing.cpp",
     "if (name != spellings.first && !(spellings.several && listing.names.count(name) != 0))",
     "if (name != spellings.first)",
     "PathResolutionCost.*:PosixPaths.*:Platform*:ListFileTest.*", "core"),
    # the one-piece section write: only what key-by-key writes would give
    ("one-piece-write-repeated-key", "src/profile/document.cpp",
     "substr(earlier.at, earlier.size), key))\n                return false;",
     "substr(earlier.at, earlier.size), key))\n                {}",
     "ProfileDocument.*:ProfileWrite.*:ListFileTest.*", "core"),
    ("one-piece-write-over-held-section", "src/profile/document.cpp",
     "if (sectionIndex_.count(new_.folded) != 0) return false;",
     "if (false) return false;",
     "ProfileDocument.*:ProfileWrite.*:ListFileTest.*", "core"),
    ("one-piece-write-key-name-unchecked", "src/profile/document.cpp",
     "if (!new_.open || !isPlainKeyName(key)) return false;",
     "if (!new_.open || !isPlainKeyName(\"K\")) return false;",
     "ProfileDocument.*:ProfileWrite.*:ListFileTest.*", "core"),
    ("list-keys-joined-across-sections", "src/output/list_file.cpp",
     "hasLastSection_ && section == lastSection_;",
     "hasLastSection_ && section.size() == lastSection_.size();",
     "ListFileTest.*:CdRomDriverList.*:ListRun*", "core"),
    # lint: severities, switches and rules
    ("lint-nul-byte-only-a-warning", "tools/mfglist/lint/rules.cpp",
     '{"nul-byte", "encoding", Severity::error,', '{"nul-byte", "encoding", Severity::warning,',
     "Lint*", "tool"),
    ("lint-entry-without-group-an-error", "tools/mfglist/lint/rules.cpp",
     '{"entry-without-group", "selection", Severity::warning,',
     '{"entry-without-group", "selection", Severity::error,',
     "Lint*", "tool"),
    ("lint-category-does-not-disable", "tools/mfglist/lint/rules.cpp",
     "if (off == rule || (known && off == known->category)) return true;",
     "if (off == rule || (known && off == known->name)) return true;",
     "Lint*", "tool"),
    ("lint-value-of-field-width-fits", "tools/mfglist/lint/value_checks.cpp",
     "if (key.value.size() < width) return;", "if (key.value.size() <= width) return;",
     "Lint*", "tool"),
    ("lint-hardid-of-any-length", "tools/mfglist/lint/value_checks.cpp",
     "if (length == mfg::items::kFamilyIdLength || length == mfg::items::kDeviceIdLength) return;",
     "if (length >= mfg::items::kFamilyIdLength) return;",
     "Lint*", "tool"),
    ("lint-syspatch-shadowed-by-plain-driver", "tools/mfglist/lint/cdrom_order_checks.cpp",
     "const auto& earlierOf = d.sysPatch ? firstSysPatchOfId : firstOfId;",
     "const auto& earlierOf = firstOfId;",
     "Lint*", "tool"),
    # diff: which entries of two lists are the same entry
    ("diff-identity-by-name-alone", "tools/mfglist/list/compared_list.cpp",
     "return valueOf(entry, \"NAME\") + '\\n' + valueOf(entry, \"HARDID\");",
     "return valueOf(entry, \"NAME\");",
     "ToolDiff.*:ToolJson.*", "tool"),
    ("diff-kth-paired-with-last", "tools/mfglist/list/compared_list.cpp",
     "for (std::size_t j = after.entries.size(); j-- > 0;)",
     "for (std::size_t j = 0; j < after.entries.size(); ++j)",
     "ToolDiff.*:ToolJson.*", "tool"),
    ("diff-no-edit-in-place", "tools/mfglist/list/compared_list.cpp",
     "return i < list.sections.size() ? upperAscii(list.sections[i]) : std::string();",
     "return i < list.sections.size() ? upperAscii(std::string()) : std::string();",
     "ToolDiff.*:ToolJson.*", "tool"),
    # ID files: the bytes each encoding gives
    ("ids-utf16-byte-order-swapped", "tools/mfglist/ids/id_file.cpp",
     "bigEndian ? (a << 8) | b : (b << 8) | a", "bigEndian ? (b << 8) | a : (a << 8) | b",
     "ToolIds.*:ToolJson.*:ToolPreview.*", "tool"),
    ("ids-line-keeps-its-cr", "tools/mfglist/ids/id_file.cpp",
     "if (!line.empty() && line.back() == '\\r') line.pop_back();",
     "if (false) line.pop_back();",
     "ToolIds.*:ToolJson.*:ToolPreview.*", "tool"),
    ("ids-utf8-without-mark-as-code-page", "tools/mfglist/ids/id_file.cpp",
     "unicode = isValidUtf8(bytes);", "unicode = false;",
     "ToolIds.*:ToolJson.*:ToolPreview.*", "tool"),
    ("ids-semicolon-line-kept", "tools/mfglist/ids/id_file.cpp",
     "line[first] == '#' || line[first] == ';'", "line[first] == '#'",
     "ToolIds.*:ToolJson.*:ToolPreview.*", "tool"),
    # the JSON contract: numbers, raw bytes, folders
    ("json-zero-led-number", "tools/mfglist/present/json_contract.cpp",
     "if (text[first] == '0' && digits > 1) return std::nullopt;",
     "if (text[first] == '0' && digits > 10) return std::nullopt;",
     "ToolJsonContract.*:ToolJson.*:ToolPreview.*", "tool"),
    ("json-raw-bytes-dropped", "tools/mfglist/present/json_contract.cpp",
     "if (!decodeCodePage(value, text.codePage).valid) raw[name] = hexBytes(value);",
     "(void)value;",
     "ToolJsonContract.*:ToolJson.*:ToolPreview.*", "tool"),
    ("json-folder-case-sensitive", "tools/mfglist/present/json_contract.cpp",
     "if (upper(text[at + i]) != upper(part[i])) return false;",
     "if (upper(text[at + i]) != upper(part[i]) || text[at + i] != part[i]) return false;",
     "ToolJsonContract.*:ToolJson.*:ToolPreview.*", "tool"),
    # safety: a failed run is a failure of the tool (its tests are the tool
    # test program's, mfglist_tool_tests), and a list behind a link is written
    # where the link leads.
    ("traced-failure-taken-for-no-list", "tools/mfglist/run/no_list.cpp",
     "return TracedProblem{failure.before + rest + failure.after, true};",
     "return TracedProblem{failure.before + rest + failure.after, false};",
     "ToolReasonFinder.*:ToolRunSafety.*"),
    ("symbolic-link-replaced", "src/platform/posix/files.cpp",
     "if (!followLinks(*native, error)) return false;",
     "if (std::string copy = *native; !followLinks(copy, error)) return false;",
     "PosixFiles.*:PlatformAtomicReplace.*"),
    # the group settings: a decoded file is not decoded again
    ("settings-decoded-twice", "src/listjob/system_settings.cpp",
     ": profile::getDecodedString(fileText, startUp.groupName,",
     ": profile::getString(fileText, startUp.groupName,",
     "ListRequest.*", "core"),
    # a list run that failed on a file reads nothing after it
    ("failed-settings-walk-on", "src/listjob/list_requests.cpp",
     "return !file.abandoned();", "return (void(file), true);",
     "ReadFaults.*:FileFaults.*:ListRequest.*", "core"),
    ("failed-matched-drivers-walk-on", "src/listjob/cdrom_driver_list.cpp",
     "CollectMatchedDrivers(file, reader, idCount, ids);\n    if (file.abandoned()) return 0;",
     "CollectMatchedDrivers(file, reader, idCount, ids);",
     "FileFaults.*:CdRomDriverList.*", "core"),
    # a write called on its own commits its list file
    ("own-write-not-committed", "src/listjob/list_file_session.cpp",
     "    try {\n        file_.commit();", "    try {\n        return;",
     "ListFileTest.*", "core"),
    # the fault table: a folder listing that an error cut short is not kept
    ("listing-cut-short-kept", "src/platform/posix/folder_listing.cpp",
     "if (!whole) return false;", "if (!whole && false) return false;",
     "FileFaults.*:PosixPaths.*", "core"),
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
    ("preview-missing-cdrom-file-a-success", "tools/mfglist/commands/preview.cpp",
     "if (!options.allowMissing) verdict.status = kExitIncomplete;", "",
     "PreviewProblems.*"),
    ("preview-relative-program-unmarked", "tools/mfglist/run/preview_problems.cpp",
     "if (!isAbsoluteWindowsPath(exePath))",
     "if (!isAbsoluteWindowsPath(exePath) && exePath.empty())",
     "PreviewProblems.*"),
    # branch write: path macros in one walk only where the steps one by one agree
    ("macros-one-walk-over-inserted-edge", "src/items/macros.cpp",
     "const std::size_t from = insertedAt >= longestName ? insertedAt - (longestName - 1) : 0;",
     "const std::size_t from = insertedAt + 0 * longestName;",
     "ExpandMacros.*:EntryTest.*", "core"),
    ("kept-flag-answer-without-folder-check", "src/platform/posix/machine.cpp",
     "== 0 && answeredAt->describes(folderStat);", "== 0;",
     "PathResolutionCost.*"),
    ("field-expansion-skips-doubled-backslash", "src/items/macros.cpp",
     '|| source.find("\\\\\\\\") != std::string_view::npos;', ";",
     "ExpandMacros.*"),
    ("scanner-cr-takes-any-next-byte", "src/reader/section_scanner.cpp",
     "end < chunkLen_ && p[end] == '\\n'", "end < chunkLen_ && p[end] != '\\0'",
     "ReaderScanner.*"),
    ("scanner-skips-a-word-too-many", "src/reader/section_scanner.cpp",
     "i += profile::syntax::skipWordsAboveCr(std::string_view(p + i, chunkLen_ - i));",
     "i += profile::syntax::skipWordsAboveCr(std::string_view(p + i, chunkLen_ - i)) > 0 ? std::min<std::size_t>(chunkLen_ - i, profile::syntax::skipWordsAboveCr(std::string_view(p + i, chunkLen_ - i)) + 8) : 0;",
     "ReaderScanner.*"),
    ("held-order-kept-after-a-replacement", "src/listjob/held_driver_index.cpp",
     "(at + 1 < slots_.size() && !items::goesBefore(key, slots_[at + 1].key)))\n                inOrder_ = false;",
     "(at + 1 < slots_.size() && !items::goesBefore(key, slots_[at + 1].key)))\n                {}",
     "HeldDriverIndex.*"),
    ("held-order-kept-over-an-empty-slot", "src/listjob/held_driver_index.cpp",
     "slots_.push_back({});\n            inOrder_ = false;", "slots_.push_back({});",
     "HeldDriverIndex.*"),
    ("document-write-memo-ignores-key", "src/profile/document.cpp",
     "section == lastWriteSection_ && key == lastWriteKey_", "section == lastWriteSection_",
     "ProfileDocument.*:ProfileWrite.*:ListFileTest.*"),
]

def program_of(mutant):
    if len(mutant) > 5:
        return mutant[5]
    return "tool" if mutant[1].startswith("tools/") else "core"

def anchor_faults(mutant):
    """What keeps a mutant from being planted as written, or None."""
    if len(mutant) not in (5, 6):
        return "is not (name, file, text, text with the bug, tests[, program])"
    name, path, before, after = mutant[:4]
    if program_of(mutant) not in PROGRAMS:
        return f"names no known test program ({', '.join(PROGRAMS)})"
    if before == after:
        return "its text with the bug is its text"
    try:
        with open(path, encoding="utf-8") as f:
            count = f.read().count(before)
    except OSError:
        return f"its file {path} cannot be read"
    if count != 1:
        return f"its text is in {path} {count} times, not once"
    return None

def check_anchors():
    names = [m[0] for m in MUTANTS]
    faults = [(n, "is named twice") for n in sorted({n for n in names if names.count(n) > 1})]
    faults += [(m[0], f) for m in MUTANTS if (f := anchor_faults(m))]
    for name, fault in faults:
        print(f"{name:32} STALE ({fault})")
    print(f"{len(MUTANTS)} mutants: {len(MUTANTS) - len(faults)} anchored, {len(faults)} stale")
    return not faults

if check_only:
    sys.exit(0 if check_anchors() else 1)

def build_tests(program):
    target = PROGRAMS[program][0]
    return subprocess.run(["cmake", "--build", build, "--target", target, "-j2"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0

def run_tests(program, tests):
    flt = ("*" if whole else tests) + "-" + slow
    return subprocess.run([f"{build}/{PROGRAMS[program][1]}", f"--gtest_filter={flt}"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=900).returncode == 0

chosen = [m for m in MUTANTS if not wanted or m[0] in wanted]
unknown = set(wanted) - {m[0] for m in MUTANTS}
if unknown:
    sys.exit(f"mutate: no mutant named {', '.join(sorted(unknown))}")
programs = sorted({program_of(m) for m in chosen if program_of(m) in PROGRAMS})
for program in programs:
    if not build_tests(program):
        sys.exit(f"mutate: the {program} test program does not build as the tree is")

missed, broken, stale = [], [], []
for mutant in chosen:
    name, path, before, after, tests = mutant[:5]
    program = program_of(mutant)
    fault = anchor_faults(mutant)
    if fault:
        stale.append(name)
        print(f"{name:32} STALE ({fault})", flush=True)
        continue
    with open(path, encoding="utf-8") as f:
        original = f.read()
    started = time.time()
    try:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original.replace(before, after))
        if not build_tests(program):
            verdict = "DOES NOT BUILD"
            broken.append(name)
        elif run_tests(program, tests):
            verdict = "MISSED"
            missed.append(name)
        else:
            verdict = "caught"
    finally:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original)
    print(f"{name:32} {verdict:15} {time.time() - started:5.0f} s  {program:4}  {path}", flush=True)

for program in programs:
    build_tests(program)
print(f"{len(chosen)} mutants: {len(chosen) - len(missed) - len(broken) - len(stale)} caught, "
      f"{len(missed)} missed, {len(broken)} did not build, {len(stale)} stale")
if missed or broken or stale:
    sys.exit(1)
PY
