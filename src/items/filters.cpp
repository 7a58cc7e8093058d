#include "items/filters.h"

#include <utility>

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
    const std::string type(section(Key::type));  // the debugger output needs its NUL
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
    const std::string_view group = section(Key::group);
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
    return findIdMatch(listKind, section, HostIds(idCount, ids, cp), cp);
}

HostIds::HostIds(int idCount, const char* const* ids, const text::CodePage& cp)
    : idCount_(idCount), ids_(ids), codePage_(cp.id()) {
    if (ids && idCount > 0) {
        upper_.reserve(static_cast<std::size_t>(idCount));
        firstEqual_.reserve(static_cast<std::size_t>(idCount));
        firstOfFamily_.reserve(static_cast<std::size_t>(idCount));
    }
    for (int i = 0; ids && i < idCount; ++i) {
        std::string upper = text::toUpperAscii(ids[i] ? ids[i] : "", cp);
        firstEqual_.try_emplace(upper, i);
        if (upper.size() >= kFamilyIdLength && text::isCharBoundary(upper, kFamilyIdLength, cp))
            firstOfFamily_.try_emplace(upper.substr(0, kFamilyIdLength), i);
        upper_.push_back(std::move(upper));
    }
}

bool HostIds::madeFrom(int idCount, const char* const* ids, const text::CodePage& cp) const {
    return idCount == idCount_ && ids == ids_ && cp.id() == codePage_;
}

int HostIds::firstMatch(std::string_view mine, bool hardwareIds) const {
    const std::string key(mine);
    const auto equal = firstEqual_.find(key);
    int first = equal == firstEqual_.end() ? -1 : equal->second;
    // familyIdMatches: a family of eight bytes begins a host ID where one of
    // its characters ends.
    if (hardwareIds && mine.size() == kFamilyIdLength) {
        const auto family = firstOfFamily_.find(key);
        if (family != firstOfFamily_.end() && (first < 0 || family->second < first))
            first = family->second;
    }
    return first;
}

IdMatch findIdMatch(std::int32_t listKind, const SectionValues& section, const HostIds& hostIds,
                    const text::CodePage& cp) {
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
    const int i = hostIds.firstMatch(mine, hardwareIds);
    if (i < 0) return match;
    const std::string& theirs = hostIds.upper(i);
    TraceLog(" OK :::::::::::: CHECK INFO = %s , MYID = %s ", mine.c_str(), theirs.c_str());
    match.matched = true;
    match.family = mine != theirs;
    match.hostIndex = i;
    return match;
}

}  // namespace mfg::items
