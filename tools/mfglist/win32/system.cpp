#include "common/system.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <iostream>
#include <string>
#include <system_error>

#include "common/errors.h"

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

std::filesystem::path scratchBase() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) throw RunError("no temporary folder on this machine: " + ec.message());
    return base;
}

bool argumentsAreUtf8() { return false; }

void writeStdout(const std::string& utf8) {
    // A console takes UTF-16 whatever its code page; files and pipes get
    // UTF-8.
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                          nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            n);
        DWORD written = 0;
        std::cout << std::flush;
        WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    // Line ends as written, so that both builds give the same bytes.
    std::cout << std::flush;
    _setmode(_fileno(stdout), _O_BINARY);
    std::cout << utf8 << std::flush;
}

}  // namespace mfgtool
