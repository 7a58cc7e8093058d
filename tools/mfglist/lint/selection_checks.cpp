// Selection: entries that no run lists, or lists without what it needs.
#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "checks.h"
#include "items/driver_order.h"
#include "profile/profile_syntax.h"
#include "text/mbstring.h"

namespace mfgtool::lint {

using mfg::items::Key;
using mfg::items::keyName;

namespace {

void checkDuplicateSections(FileCheck& check) {
    std::map<std::string, const SectionView*> seen;
    for (const SectionView& section : check.view.sections) {
        const std::string folded = mfg::text::toUpperAscii(section.trimmedName, check.cp);
        const auto [at, added] = seen.emplace(folded, &section);
        if (added) continue;
        check.report(section.line, 1, "duplicate-section",
                     "section " + sectionLabel(section) + " is given again (first on line " +
                         std::to_string(at->second->line) +
                         "): both are read as entries, but a lookup by name finds the first",
                     "give each section a name of its own");
    }
}

// GROUP itself (given, but empty) and the keys only an entry is read for.
bool isEntryKey(const FileCheck& check, const KeyLine& key) {
    for (int k = static_cast<int>(Key::group); k <= static_cast<int>(Key::selectPath); ++k)
        if (mfg::text::equalsNoCase(key.name, keyName(static_cast<Key>(k)), check.cp)) return true;
    return false;
}

struct GroupUse {
    const KeyLine* firstGroupKey = nullptr;
    std::string spelled;
    std::size_t entries = 0;
};

void checkGroups(FileCheck& check) {
    if (!check.hasGroups()) return;
    const mfg::text::CodePage& cp = check.cp;
    std::map<std::string, const SectionView*> sectionsByName;
    std::vector<std::string> settingsNames;
    for (const SectionView& section : check.view.sections) {
        sectionsByName.emplace(mfg::text::toUpperAscii(section.trimmedName, cp), &section);
        if (check.value(section, Key::group).empty()) settingsNames.push_back(section.trimmedName);
    }
    std::map<std::string, GroupUse> groups;
    for (const SectionView& section : check.view.sections) {
        if (!check.isListable(section)) continue;
        const KeyLine* key = check.key(section, Key::group);
        GroupUse& use = groups[mfg::text::toUpperAscii(key->value, cp)];
        if (!use.firstGroupKey) {
            use.firstGroupKey = key;
            use.spelled = key->value;
        }
        ++use.entries;
    }
    for (const auto& [name, use] : groups) {
        if (sectionsByName.count(name)) continue;
        const std::string near = closestName(use.spelled, settingsNames);
        check.report(
            use.firstGroupKey->line, use.firstGroupKey->valueColumn, "group-without-settings",
            "group " + use.spelled + " (" + std::to_string(use.entries) +
                (use.entries == 1 ? " entry" : " entries") + ") has no settings section [" +
                use.spelled + "]" + (near.empty() ? "" : "; did you mean " + near + "?"),
            near.empty() ? "add a section [" + use.spelled + "] with its LOG_FILE"
                         : "write GROUP=" + near);
    }
    std::vector<std::string> asked = check.options.groups;
    if (asked.empty()) asked.push_back("PRELOAD");
    for (const std::string& group : asked) {
        const std::string folded = mfg::text::toUpperAscii(group, cp);
        if (!groups.count(folded)) {
            check.report(
                1, 1, "group-without-entries",
                "no entry" +
                    std::string(check.role == FileRole::softProc ? " of TYPE SOFTWARE" : "") +
                    " has GROUP=" + group + ": its list is empty",
                "set GROUP=" + group +
                    " in the entries of that list, or lint the group "
                    "the line runs (--group)");
        }
        if (!sectionsByName.count(folded)) {
            check.report(1, 1, "group-without-settings",
                         "the group asked for, " + group + ", has no settings section [" + group +
                             "]: the list's SYSTEM settings are empty",
                         "add a section [" + group + "] with its LOG_FILE");
        }
    }
}

// A section without GROUP is a group's settings when an entry names it,
// and an entry that lost its GROUP when it has an entry's keys: the group
// filter refuses a section whose GROUP is empty, so no run lists it.
void checkEntriesWithoutGroup(FileCheck& check) {
    if (!check.hasGroups()) return;
    std::set<std::string> groupNames;
    for (const SectionView& section : check.view.sections) {
        const std::string group = check.value(section, Key::group);
        if (!group.empty()) groupNames.insert(mfg::text::toUpperAscii(group, check.cp));
    }
    const std::string asked =
        check.options.groups.empty() ? "PRELOAD" : check.options.groups.front();
    for (const SectionView& section : check.view.sections) {
        if (!check.value(section, Key::group).empty() ||
            groupNames.count(mfg::text::toUpperAscii(section.trimmedName, check.cp)))
            continue;
        if (check.role == FileRole::softProc && !check.isSoftware(section)) continue;
        const bool entry = std::any_of(section.keys.begin(), section.keys.end(),
                                       [&](const KeyLine& key) { return isEntryKey(check, key); });
        if (!entry) continue;
        // At an empty GROUP= where there is one, else at the header.
        const KeyLine* group = check.key(section, Key::group);
        check.report(group ? group->line : section.line, group ? group->valueColumn : 1,
                     "entry-without-group",
                     sectionLabel(section) +
                         (group ? " has an empty GROUP" : " has an entry's keys but no GROUP") +
                         ": the group filter refuses it, so it is never listed, for any group",
                     "add GROUP=" + asked + " (the group whose list should take it)");
    }
}

void checkPrograms(FileCheck& check) {
    const bool asked = check.options.windows.has_value() || check.role == FileRole::mfgProc;
    for (const SectionView& section : check.view.sections) {
        if (!check.isListable(section)) continue;
        for (Key k : check.programKeys()) {
            if (!check.value(section, k).empty()) continue;
            const char* windows = k == Key::exePath ? "Windows XP" : "Windows Vista";
            check.report(section.line, 1, "missing-exepath",
                         sectionLabel(section) + " has no " + keyName(k) + ": on " +
                             (check.role == FileRole::mfgProc ? std::string("every Windows")
                                                              : std::string(windows)) +
                             " it is listed without a program to run",
                         std::string("add ") + keyName(k) + "=",
                         asked ? Severity::error : Severity::warning);
        }
    }
}

void checkSoftwareInDriverFile(FileCheck& check) {
    if (check.role != FileRole::drvProc && check.role != FileRole::drvCofg) return;
    for (const SectionView& section : check.view.sections) {
        if (!check.isSoftware(section)) continue;
        const KeyLine* type = check.key(section, Key::type);
        check.report(type->line, type->valueColumn, "software-in-driver-file",
                     sectionLabel(section) +
                         " is SOFTWARE: a driver list skips it and a software list reads "
                         "SoftProc.ini, so it is never listed",
                     "move it to SoftProc.ini");
    }
}

// SoftProc.ini is read for the software list only: an entry of a driver
// TYPE, or of none, is never listed.  An unknown TYPE is told by the TYPE
// check.
void checkDriverInSoftwareFile(FileCheck& check) {
    if (check.role != FileRole::softProc) return;
    for (const SectionView& section : check.view.sections) {
        if (check.isSoftware(section) || check.value(section, Key::group).empty()) continue;
        const KeyLine* type = check.key(section, Key::type);
        const std::string value = type ? type->value : std::string();
        if (!value.empty() && !mfg::items::rankedType(mfg::items::typeRank(value, check.cp)))
            continue;
        check.report(type ? type->line : section.line, type ? type->valueColumn : 1,
                     "driver-in-software-file",
                     sectionLabel(section) +
                         (value.empty() ? std::string(" has no TYPE")
                                        : " is a driver (TYPE " + value + ")") +
                         ": SoftProc.ini's list takes only TYPE SOFTWARE, and driver lists read "
                         "DrvProc.ini and DrvCofg.ini, so it is never listed",
                     value.empty() ? "add TYPE=SOFTWARE" : "move it to DrvProc.ini");
    }
}

}  // namespace

void checkSelection(FileCheck& check) {
    checkDriverInSoftwareFile(check);
    checkDuplicateSections(check);
    checkGroups(check);
    checkEntriesWithoutGroup(check);
    checkPrograms(check);
    checkSoftwareInDriverFile(check);
}

}  // namespace mfgtool::lint
