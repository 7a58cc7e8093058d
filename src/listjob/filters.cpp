// The filters on the section the reader stands on, with this run's list
// kind and group (items/filters.h holds the rules), and the same filters
// telling the decision observer which one left a section out.
#include "items/filters.h"
#include "items/keys.h"

#include "listjob/decision_observer.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "reader/parse_ini_file.h"

namespace mfg {

namespace {

items::SectionValues valuesOf(CParseIniFile& section) {
    return [&section](Key key) { return section.GetValue(keyName(key)); };
}

}  // namespace

int CMfgList::IsTypeMatch(CParseIniFile& section) {
    return items::typeMatches(listKind, valuesOf(section), text::CodePage::active()) ? 1 : 0;
}

int CMfgList::IsGroupMatch(CParseIniFile& section) {
    return items::groupMatches(groupName, valuesOf(section), text::CodePage::active()) ? 1 : 0;
}

int CMfgList::IsIdMatch(CParseIniFile& section, int idCount, const char* const* ids) {
    return items::idMatches(listKind, valuesOf(section), idCount, ids, text::CodePage::active())
               ? 1
               : 0;
}

items::IdMatch CMfgList::matchId(CParseIniFile& section, int idCount, const char* const* ids) {
    return items::findIdMatch(listKind, valuesOf(section), idCount, ids, text::CodePage::active());
}

bool CMfgList::passesType(CParseIniFile& section, const listjob::SectionAt* at) {
    if (IsTypeMatch(section) != 0) return true;
    if (at && decisionObserver)
        decisionObserver->sectionLeftOut(*at,
                                         listKind == MFG_LIST_SOFTWARE
                                             ? listjob::LeftOut::notSoftwareInSoftwareList
                                             : listjob::LeftOut::softwareInDriverList,
                                         section.GetValue(keyName(Key::type)));
    return false;
}

bool CMfgList::passesGroup(CParseIniFile& section, const listjob::SectionAt* at) {
    if (IsGroupMatch(section) == 1) return true;
    if (at && decisionObserver)
        decisionObserver->sectionLeftOut(*at, listjob::LeftOut::otherGroup,
                                         section.GetValue(keyName(Key::group)));
    return false;
}

bool CMfgList::passesId(CParseIniFile& section, int idCount, const char* const* ids,
                        const listjob::SectionAt* at) {
    if (!at || !decisionObserver) return IsIdMatch(section, idCount, ids) == 1;
    const items::IdMatch match = matchId(section, idCount, ids);
    if (match.matched) {
        decisionObserver->idMatched(*at, match, match.hostIndex >= 0 ? ids[match.hostIndex] : "");
    } else {
        decisionObserver->sectionLeftOut(*at, listjob::LeftOut::noIdMatched, match.sectionId);
    }
    return match.matched;
}

}  // namespace mfg
