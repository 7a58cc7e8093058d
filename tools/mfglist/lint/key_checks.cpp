// Keys: names the library never asks for, keys given twice, empty sections.
#include <string>

#include "checks.h"
#include "text/mbstring.h"

namespace mfgtool::lint {

using mfg::items::Key;
using mfg::items::keyName;

namespace {

// The keys a section is read for: an entry's (ReadItem) and a group's
// settings (the SYSTEM section).
constexpr Key kReadKeys[] = {
    Key::logFile,
    Key::hotKey,
    Key::debug,
    Key::languageId,
    Key::runBeginTest,
    Key::runEndTest,
    Key::group,
    Key::name,
    Key::id,
    Key::description,
    Key::hardId,
    Key::exePath,
    Key::exePathVista32,
    Key::exePathVista64,
    Key::packetName,
    Key::type,
    Key::timeout,
    Key::rebootCount,
    Key::firstTimeout,
    Key::firstRebootCount,
    Key::resultValue,
    Key::version,
    Key::commandLine,
    Key::entryLogFile,
    Key::selectPath,
};

bool isNamed(const KeyLine& key, Key k, const mfg::text::CodePage& cp) {
    return mfg::text::equalsNoCase(key.name, keyName(k), cp);
}

void checkKeyName(FileCheck& check, const KeyLine& key) {
    for (Key k : kReadKeys) {
        if (!isNamed(key, k, check.cp)) continue;
        if (check.role == FileRole::mfgProc &&
            (k == Key::exePathVista32 || k == Key::exePathVista64)) {
            check.report(key.line, key.column, "vista-path-in-process-file",
                         key.name + " is not read from MfgProc.ini: EXEPATH serves every Windows",
                         "in a factory process file give the program in EXEPATH only");
        }
        return;
    }
    if (isNamed(key, Key::packetPath, check.cp)) {
        check.report(key.line, key.column, "unknown-key",
                     "PACKETPATH is never read from a process file: the list's PACKETPATH is "
                     "always the working folder ($TESTDIR)",
                     "remove it; name the program with EXEPATH", Severity::warning);
        return;
    }
    std::vector<std::string> names;
    for (int k = 0; k < static_cast<int>(Key::count); ++k)
        names.emplace_back(keyName(static_cast<Key>(k)));
    const std::string near = closestName(key.name, names);
    check.report(key.line, key.column, "unknown-key",
                 "unknown key " + key.name + (near.empty() ? "" : " (did you mean " + near + "?)") +
                     ": the library never reads it",
                 near.empty() ? "remove it, or make it a comment with ';'" : "rename it " + near);
}

}  // namespace

void checkKeys(FileCheck& check) {
    for (const SectionView& section : check.view.sections) {
        bool anyKey = false;
        for (const KeyLine& key : section.keys) {
            if (key.comment) continue;
            anyKey = true;
            if (!key.first) {
                const KeyLine* first = &section.keys[section.firstOfName.at(key.folded)];
                check.report(key.line, key.column, "duplicate-key",
                             key.name + " is given again in " + sectionLabel(section) +
                                 ": the first, on line " + std::to_string(first->line) + " (\"" +
                                 first->value + "\"), wins",
                             "remove one of the two");
                continue;
            }
            checkKeyName(check, key);
        }
        for (const StrayLine& stray : section.stray) {
            if (stray.bracket) continue;  // a broken header, told as such
            check.report(stray.line, stray.column, "not-a-key",
                         "this line of " + sectionLabel(section) +
                             " is neither a key (no '=') nor a comment: it is ignored",
                         "write KEY=VALUE, or start the line with ';'");
        }
        if (!anyKey) {
            check.report(
                section.line, 1, "empty-section",
                "section " + sectionLabel(section) + " has no keys",
                "fill it in or remove it (a header without keys still counts as a section)");
        }
    }
}

}  // namespace mfgtool::lint
