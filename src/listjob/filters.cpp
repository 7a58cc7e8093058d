// The filters on the section the reader stands on, with this run's list
// kind and group (items/filters.h holds the rules).
#include "items/filters.h"
#include "items/keys.h"

#include "listjob/mfg_list.h"
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

}  // namespace mfg
