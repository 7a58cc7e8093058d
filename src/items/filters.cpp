// Which sections of a process file become entries of this list: the TYPE
// must suit the list kind, the GROUP must be this run's group, and the
// section's ID must be one the host asked for.  Each filter reads the
// reader's current section only and changes nothing.
#include <cstddef>
#include <string>

#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "platform/platform.h"
#include "reader/parse_ini_file.h"
#include "text/mbstring.h"
#include "trace/trace_log.h"

namespace mfg {

namespace {

constexpr char kSoftwareType[] = "SOFTWARE";
// System patches go onto every machine: no hardware ID is asked of them.
constexpr char kSysPatchType[] = "SYSPATCH";
// A hardware ID of exactly this length names a device family: it matches
// every device ID of the machine that begins with it.
constexpr std::size_t kFamilyIdLength = 8;

std::string sectionValue(int key) {
    CParseIniFile* reader = CParseIniFile::GetInstance();
    return reader ? reader->GetValue(MFG_KEY_NAMES[key]) : std::string();
}

}  // namespace

int CMfgList::IsTypeMatch() {
    const std::string type = sectionValue(MFGKEY_TYPE);
    platform::debugOutput(type.c_str());
    const bool software = text::equalsNoCase(type, kSoftwareType, text::CodePage::active());
    switch (listKind) {
    case LIST_DRIVER:
        return software ? 0 : 1;
    case LIST_SOFTWARE:
        return software ? 1 : 0;
    default:
        return 1;
    }
}

int CMfgList::IsGroupMatch() {
    if (groupName.empty()) return 0;
    const std::string group = sectionValue(MFGKEY_GROUP);
    if (group.empty()) return 0;
    if (!text::equalsNoCase(group, groupName, text::CodePage::active())) return 0;
    platform::debugOutput("TRUE");
    return 1;
}

int CMfgList::IsIdMatch(int idCount, const char* const* ids) {
    const text::CodePage cp = text::CodePage::active();
    std::string myId;
    if (listKind == LIST_DRIVER) {
        if (text::equalsNoCase(text::trim(sectionValue(MFGKEY_TYPE)), kSysPatchType, cp)) return 1;
        myId = sectionValue(MFGKEY_HARDID);
        TraceLog(">>>>>> DRVINFO_LIST ,HARDID = %s ", myId.c_str());
    } else if (listKind == LIST_SOFTWARE) {
        myId = sectionValue(MFGKEY_PACKETNAME);
        TraceLog(">>>>>> SOFTINFO_LIST ,PACKETNAME = %s ", myId.c_str());
    }
    if (myId.empty()) return 0;
    TraceLog("====== MYID = %s ", myId.c_str());

    const std::string mine = text::toUpperAscii(myId, cp);
    // Package names are matched whole; only hardware IDs know families.
    const bool familyId = listKind == LIST_DRIVER && mine.size() == kFamilyIdLength;
    for (int i = 0; ids && i < idCount; ++i) {
        const std::string theirs = text::toUpperAscii(ids[i] ? ids[i] : "", cp);
        // The family must end where a character of the device ID ends.
        const bool match =
            mine == theirs || (familyId && theirs.compare(0, kFamilyIdLength, mine) == 0 &&
                               text::isCharBoundary(theirs, kFamilyIdLength, cp));
        if (match) {
            TraceLog(" OK :::::::::::: CHECK INFO = %s , MYID = %s ", mine.c_str(), theirs.c_str());
            return 1;
        }
    }
    return 0;
}

}  // namespace mfg
