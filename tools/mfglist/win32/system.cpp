#include "system.h"

#include <windows.h>

#include <string>

namespace mfgtool {

std::filesystem::path programFolder() {
    char buffer[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return std::filesystem::path(std::string(buffer, n)).parent_path();
}

int terminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
    return 0;
}

unsigned processId() { return static_cast<unsigned>(GetCurrentProcessId()); }

}  // namespace mfgtool
