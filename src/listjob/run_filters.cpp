// The filters on the section the reader stands on, with this run's list
// kind and group (items/filters.h holds the rules), and the same filters
// telling the decision observer which one left a section out.
#include "items/filters.h"
#include "items/keys.h"

#include <string>

#include "listjob/decision_observer.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "reader/parse_ini_file.h"

namespace mfg {

namespace {

items::SectionValues valuesOf(CParseIniFile& section) {
    return [&section](items::Key key) { return section.valueView(items::keyName(key)); };
}

}  // namespace

int CMfgList::IsTypeMatch(CParseIniFile& section) {
    const text::CodePage cp = text::CodePage::active();
    return items::typeMatches(startUp.listKind, valuesOf(section), cp) ? 1 : 0;
}

int CMfgList::IsGroupMatch(CParseIniFile& section) {
    const text::CodePage cp = text::CodePage::active();
    return items::groupMatches(startUp.groupName, valuesOf(section), cp) ? 1 : 0;
}

int CMfgList::IsIdMatch(CParseIniFile& section, int idCount, const char* const* ids) {
    return matchId(section, idCount, ids).matched ? 1 : 0;
}

items::IdMatch CMfgList::matchId(CParseIniFile& section, int idCount, const char* const* ids) {
    const text::CodePage cp = text::CodePage::active();
    // Within a create call the host's IDs are upper-cased once; outside one
    // the host may have changed them since the last call.
    if (!request.holdsRunValues || !request.hostIds || !request.hostIds->madeFrom(idCount, ids, cp))
        request.hostIds.emplace(idCount, ids, cp);
    return items::findIdMatch(startUp.listKind, valuesOf(section), *request.hostIds, cp);
}

namespace {

// The section's values as the filters ask for them, keeping the last one
// given: the value a filter decided on, without a second lookup (each one
// rewrites the lookup copy).
class RecordedValues {
public:
    explicit RecordedValues(CParseIniFile& section)
        : values_([this, &section](items::Key key) {
              last_ = section.valueView(items::keyName(key));
              return last_;
          }) {}
    RecordedValues(const RecordedValues&) = delete;
    RecordedValues& operator=(const RecordedValues&) = delete;
    const items::SectionValues& values() const { return values_; }
    // Valid until the reader's next step.
    std::string_view last() const { return last_; }

private:
    std::string_view last_;
    items::SectionValues values_;
};

}  // namespace

bool CMfgList::passesType(CParseIniFile& section, const listjob::SectionAt* at) {
    if (!at || !decisionObserver) return IsTypeMatch(section) != 0;
    const RecordedValues recorded(section);
    if (items::typeMatches(startUp.listKind, recorded.values(), text::CodePage::active()))
        return true;
    decisionObserver->sectionLeftOut(*at,
                                     startUp.listKind == MFG_LIST_SOFTWARE
                                         ? listjob::LeftOut::notSoftwareInSoftwareList
                                         : listjob::LeftOut::softwareInDriverList,
                                     recorded.last());
    return false;
}

bool CMfgList::passesGroup(CParseIniFile& section, const listjob::SectionAt* at) {
    if (!at || !decisionObserver) return IsGroupMatch(section) == 1;
    const RecordedValues recorded(section);
    if (items::groupMatches(startUp.groupName, recorded.values(), text::CodePage::active()))
        return true;
    decisionObserver->sectionLeftOut(*at, listjob::LeftOut::otherGroup, recorded.last());
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
