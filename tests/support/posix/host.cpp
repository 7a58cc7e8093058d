#include <unistd.h>

#include <climits>
#include <filesystem>

#include "platform/posix/machine.h"
#include "support/machine.h"

namespace mfg::test {

std::string hostPath(std::string_view windowsPath) {
    const auto native = platform::posix::resolvePath(windowsPath);
    // An unmapped drive: a path that cannot exist, so that writes fail.
    return native ? *native : std::string("/nonexistent-drive/") + std::string(windowsPath);
}

std::string windowsPathOfHost(const std::string& hostPath) {
    return platform::posix::toWindowsPath(hostPath);
}

unsigned currentProcessId() { return static_cast<unsigned>(::getpid()); }

std::string programFolder() {
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

}  // namespace mfg::test
