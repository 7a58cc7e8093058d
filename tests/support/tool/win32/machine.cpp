#include "support/tool/run_tool.h"

namespace mfgtool::test {

std::string previewFolderForLibrary(const fs::path& folder) {
    return fs::path(folder).make_preferred().string() + "\\";
}

std::optional<std::string> hostDrives(const fs::path&) { return std::nullopt; }

std::string hostPathForLibrary(const fs::path& native, const fs::path&) {
    return fs::path(native).make_preferred().string();
}

// The Wine prefix of the test run is the user's machine here: its C: and D:
// live in a temporary folder of the test script's.
UserTraceFiles userTraceFiles(const fs::path&) {
    return {"C:\\vrelDebug.flg", "D:\\ombrix_drvinst.log", {}};
}

}  // namespace mfgtool::test
