// The OS variant decides which of an entry's three executables the host
// runs.  Only a Vista-generation workstation (6.0) gets the Vista build;
// every other answer, servers and later releases included, gets the XP one,
// which is what the factory images of those systems carry.
#include <cstdint>

#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "platform/platform.h"
#include "trace/trace_log.h"

namespace mfg {

namespace {
constexpr std::uint32_t kPlatformNt = 2;
constexpr std::uint8_t kWorkstation = 1;
}  // namespace

void CMfgList::DetectOsVersion() {
    startUp.osVariant = MFG_WIN_XP32;
    platform::VersionInfo info;
    std::uint32_t lastError = 0;
    if (!platform::windowsVersion(info, lastError)) {
        TraceLog("== GET OS VERSION ERROR %d", static_cast<int>(lastError));
        return;
    }
    // The basic record carries no product type, so it can never prove a
    // workstation.
    if (info.extended && info.platformId == kPlatformNt && info.productType == kWorkstation &&
        info.major == 6 && info.minor == 0)
        startUp.osVariant = MFG_WIN_VISTA32;
    if (startUp.osVariant == MFG_WIN_VISTA32)
        TraceLog("OSVERSION = WIN_VISTA32");
    else
        TraceLog("OSVERSION = WIN_XP32");
}

}  // namespace mfg
