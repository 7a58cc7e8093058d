#include "common/system.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
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
    if (ec)
        throw RunError("no temporary folder on this machine (TMP and TEMP name none): " +
                       ec.message());
    return base;
}

std::string scratchBaseText(const std::filesystem::path& base) {
    for (const char* variable : {"TMP", "TEMP"}) {
        char value[MAX_PATH] = {};
        const DWORD n = GetEnvironmentVariableA(variable, value, MAX_PATH);
        if (n > 0 && n < MAX_PATH &&
            std::filesystem::path(value).lexically_normal() == base.lexically_normal())
            return base.string() + " (" + variable + ")";
    }
    return base.string();
}

bool argumentsAreUtf8() { return false; }

void writeStdout(const std::string& utf8) {
    // A console takes UTF-16 whatever its code page; files and pipes get
    // UTF-8.
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        const int n =
            MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
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

namespace mfgtool {
namespace {

HANDLE handleOf(NativeFile file) { return reinterpret_cast<HANDLE>(file); }

void takeLastError(std::error_code& ec) {
    ec.assign(static_cast<int>(GetLastError()), std::system_category());
}

}  // namespace

NativeFile createNewFile(const std::filesystem::path& path, std::error_code& ec) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) takeLastError(ec);
    return reinterpret_cast<NativeFile>(file);
}

void writeToFile(NativeFile file, std::string_view bytes, std::error_code& ec) {
    while (!bytes.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(handleOf(file), bytes.data(), piece, &written, nullptr)) {
            takeLastError(ec);
            return;
        }
        if (written == 0) {
            ec.assign(ERROR_DISK_FULL, std::system_category());
            return;
        }
        bytes.remove_prefix(written);
    }
}

void flushToDisk(NativeFile file, std::error_code& ec) {
    if (!FlushFileBuffers(handleOf(file))) takeLastError(ec);
}

void closeFile(NativeFile file, std::error_code& ec) {
    if (!CloseHandle(handleOf(file))) takeLastError(ec);
}

void renameOver(const std::filesystem::path& from, const std::filesystem::path& to,
                std::error_code& ec) {
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        takeLastError(ec);
}

}  // namespace mfgtool
