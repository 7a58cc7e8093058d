#include "section_words.h"

namespace mfgtool {
namespace {

using mfg::items::Placement;
using mfg::listjob::LeftOut;

// False when the library found none of the group's settings: its section
// is missing, empty, or has a header a lookup by name does not find.
bool anySettingRead(const ExplainJournal& journal) {
    for (const SettingRecord& setting : journal.settings())
        if (!setting.value.empty()) return true;
    return false;
}

}  // namespace

ExplainText::ExplainText(const Plan& plan, const LibraryRun& run, const ExplainJournal& journal)
    : plan_(plan), run_(run), groupSettingsRead_(anySettingRead(journal)) {}

std::string ExplainText::fate(const SectionRecord& record) const {
    switch (record.fate) {
        case Fate::listed: {
            std::string line = "listed at position " + std::to_string(*record.listSection);
            if (record.orderKey && !record.configDriver)
                line += ", rank " + std::to_string(record.orderKey->first) + ", ID key " +
                        std::to_string(record.orderKey->second);
            if (record.configDriver)
                line += " (DrvCofg.ini: every machine, after the matched drivers)";
            return line + matchText(record);
        }
        case Fate::leftOut:
            return "left out: " + leftOutText(record);
        case Fate::replaced:
            return "replaced by " + place(*record.other) +
                   ": its 16-character HARDID takes the place of this 8-character one";
        case Fate::refused:
            if (record.placement == Placement::refusedSameId)
                return "refused: " +
                       (record.other ? place(*record.other) : std::string("a held entry")) +
                       " holds the same HARDID " + text(record.compared);
            return "refused: " +
                   (record.other ? place(*record.other) : std::string("a held entry")) +
                   " holds a 16-character HARDID beginning with this 8-character HARDID " +
                   text(record.compared);
        case Fate::passed:
            break;
    }
    return "selected, but no list was written" + matchText(record);
}

std::string ExplainText::matchText(const SectionRecord& record) const {
    std::string line;
    if (record.placement == Placement::replacedFamily && record.other)
        line += "; took the place of " + place(*record.other);
    if (!record.matchedId) return line;
    if (record.matchedId->empty()) return line + "; SYSPATCH: no ID asked";
    return line + "; " + idKey() + " " + text(record.compared) + " matched " +
           text(*record.matchedId) + (record.familyMatch ? " as its family" : "");
}

std::string ExplainText::leftOutText(const SectionRecord& record) const {
    const std::string value = text(record.compared);
    switch (record.leftOut) {
        case LeftOut::otherGroup:
            if (value.empty() && upperAscii(record.place.section) == upperAscii(run_.group))
                return groupSettingsRead_
                           ? "no GROUP: the settings section of group " + text(run_.group)
                           : "no GROUP: named as group " + text(run_.group) +
                                 "'s settings section, but the library reads none of its "
                                 "settings from it (a lookup by name does not find its header; "
                                 "mfglist lint says why)";
            if (value.empty()) return "no GROUP (the run's group is " + text(run_.group) + ")";
            return "GROUP " + value + " is not the run's group " + text(run_.group);
        case LeftOut::softwareInDriverList:
            return "TYPE " + value + " in a driver list";
        case LeftOut::notSoftwareInSoftwareList:
            return (value.empty() ? std::string("no TYPE") : "TYPE " + value) +
                   " in a software list, which takes SOFTWARE only";
        case LeftOut::noIdMatched:
            if (value.empty()) return "no " + idKey() + " to match";
            return "no " +
                   std::string(plan_.listKind == LIST_SOFTWARE ? "package name" : "host ID") +
                   " matched " + idKey() + " " + value;
    }
    return {};
}

std::optional<NearestId> nearestIdFor(const SectionRecord& record, const Plan& plan) {
    if (record.fate != Fate::leftOut || record.leftOut != LeftOut::noIdMatched) return std::nullopt;
    return nearestHostId(record.compared, plan.ids, plan.codePage);
}

std::string sectionFateText(const Plan& plan, const LibraryRun& run, const ExplainJournal& journal,
                            const SectionRecord& record) {
    return ExplainText(plan, run, journal).fate(record);
}

bool runMatchesIds(const Plan& plan) {
    if (plan.allSoftware) return false;
    return plan.cdrom || plan.listKind == LIST_SOFTWARE;
}

}  // namespace mfgtool
