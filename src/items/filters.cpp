#include "items/filters.h"

#include "items/hardware_id.h"
#include "items/keys.h"
#include "mfglist/mfglist.h"
#include "platform/platform.h"
#include "text/mbstring.h"
#include "trace/trace_log.h"

namespace mfg::items {

namespace {

constexpr char kSoftwareType[] = "SOFTWARE";
// System patches go onto every machine: no hardware ID is asked of them.
constexpr char kSysPatchType[] = "SYSPATCH";

}  // namespace

bool typeMatches(std::int32_t listKind, const SectionValues& section, const text::CodePage& cp) {
    const std::string type = section(Key::type);
    platform::debugOutput(type.c_str());
    const bool software = text::equalsNoCase(type, kSoftwareType, cp);
    switch (listKind) {
    case MFG_LIST_DRIVER:
        return !software;
    case MFG_LIST_SOFTWARE:
        return software;
    default:
        return true;
    }
}

bool groupMatches(std::string_view groupName, const SectionValues& section,
                  const text::CodePage& cp) {
    if (groupName.empty()) return false;
    const std::string group = section(Key::group);
    if (group.empty()) return false;
    if (!text::equalsNoCase(group, groupName, cp)) return false;
    platform::debugOutput("TRUE");
    return true;
}

bool idMatches(std::int32_t listKind, const SectionValues& section, int idCount,
               const char* const* ids, const text::CodePage& cp) {
    return findIdMatch(listKind, section, idCount, ids, cp).matched;
}

IdMatch findIdMatch(std::int32_t listKind, const SectionValues& section, int idCount,
                    const char* const* ids, const text::CodePage& cp) {
    IdMatch match;
    std::string& myId = match.sectionId;
    if (listKind == MFG_LIST_DRIVER) {
        if (text::equalsNoCase(text::trimAsciiSpace(section(Key::type)), kSysPatchType, cp)) {
            match.matched = match.sysPatch = true;
            return match;
        }
        myId = section(Key::hardId);
        TraceLog(">>>>>> DRVINFO_LIST ,HARDID = %s ", myId.c_str());
    } else if (listKind == MFG_LIST_SOFTWARE) {
        myId = section(Key::packetName);
        TraceLog(">>>>>> SOFTINFO_LIST ,PACKETNAME = %s ", myId.c_str());
    }
    if (myId.empty()) return match;
    TraceLog("====== MYID = %s ", myId.c_str());

    const std::string mine = text::toUpperAscii(myId, cp);
    // Package names are matched whole; only hardware IDs know families.
    const bool hardwareIds = listKind == MFG_LIST_DRIVER;
    std::string theirs;
    for (int i = 0; ids && i < idCount; ++i) {
        text::toUpperAsciiInto(ids[i] ? ids[i] : "", cp, theirs);
        const bool same = mine == theirs;
        if (same || (hardwareIds && familyIdMatches(mine, theirs, cp))) {
            TraceLog(" OK :::::::::::: CHECK INFO = %s , MYID = %s ", mine.c_str(), theirs.c_str());
            match.matched = true;
            match.family = !same;
            match.hostIndex = i;
            return match;
        }
    }
    return match;
}

}  // namespace mfg::items
