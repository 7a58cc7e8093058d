#include "host_trace.h"

#include <system_error>

#include "machine.h"

namespace fs = std::filesystem;

namespace mfgtool {

HostTrace::HostTrace(const DynamicModule& library, const NativePath& native) {
    const std::optional<fs::path> flag = native("C:\\vrelDebug.flg");
    std::error_code ec;
    if (flag && fs::exists(*flag, ec)) {
        // The user's own trace: the flag is not the host's to raise or lower.
        if (const std::optional<fs::path> log = native("D:\\ombrix_drvinst.log"))
            capture_.emplace(*flag, *log, false);
        return;
    }
    side_.emplace();
    const fs::path sideFlag = side_->path() / "vrelDebug.flg";
    const fs::path sideLog = side_->path() / "ombrix_drvinst.log";
    capture_.emplace(sideFlag, sideLog);
    traceIntoSideFiles(library, sideFlag, sideLog);
}

std::vector<std::string> HostTrace::lines() const {
    return capture_ ? capture_->lines() : std::vector<std::string>();
}

}  // namespace mfgtool
