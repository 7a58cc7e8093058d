// Where the library itself lies: the default working directory, and the
// folder of the CD-ROM media's process files.
#include <string>
#include <string_view>

#include "listjob/mfg_list.h"
#include "platform/platform.h"
#include "text/mbstring.h"
#include "trace/trace_log.h"

namespace mfg {

namespace {

// The drive ("C:") and the directory with its closing separator, as the C
// run-time's path splitter gives them; a network path has no drive and keeps
// its leading "\\SERVER\SHARE" in the directory.  The last separator is
// found by characters, so a trail byte 0x5C does not end the directory.
std::string driveAndDirectory(std::string_view path, const text::CodePage& cp) {
    std::size_t dirEnd = 0;
    for (std::size_t pos = 0; pos < path.size();) {
        const unsigned len = cp.charLength(path.data(), path.size(), pos);
        if (len == 1 && (path[pos] == '\\' || path[pos] == '/')) dirEnd = pos + 1;
        pos += len;
    }
    const std::size_t driveEnd = (path.size() >= 2 && path[1] == ':') ? 2 : 0;
    return std::string(path.substr(0, dirEnd > driveEnd ? dirEnd : driveEnd));
}

}  // namespace

std::string CMfgList::GetModulePath(const std::string& fileName) const {
    std::string modulePath;
    if (!platform::moduleFileName(modulePath)) {
        // Without it the name stands alone, relative to the host's current
        // folder; the run goes on and the log says why its paths look odd.
        TraceLog("===== GET MODULE PATH ERROR, DIRECTORY LEFT EMPTY");
        return fileName;
    }
    return driveAndDirectory(modulePath, text::CodePage::active()) + fileName;
}

}  // namespace mfg
