#include <windows.h>

#include "support/machine.h"

namespace mfg::test {

std::string hostPath(std::string_view windowsPath) { return std::string(windowsPath); }

std::string windowsPathOfHost(const std::string& hostPath) { return hostPath; }

unsigned currentProcessId() { return static_cast<unsigned>(GetCurrentProcessId()); }

std::string programFolder() {
    char buffer[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, n);
    return path.substr(0, path.find_last_of('\\'));
}

}  // namespace mfg::test
