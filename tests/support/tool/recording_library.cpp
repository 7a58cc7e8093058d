// A stand-in for the install-list library that records every call the host
// makes, so that what the host does can be checked apart from the library.  It
// writes the list file from MFGLIST_FAKE_LIST and, while the debug flag file
// is up, one trace line, as the real library would; Windows paths reach
// native files through MFGLIST_DRIVES where that is set (the Linux machine).
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "mfglist/mfglist.h"
#include "support/file_bytes.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string nativePath(std::string path) {
    const std::string drives = environment("MFGLIST_DRIVES");
    if (drives.empty() || path.size() < 2 || path[1] != ':') return path;
    const std::string key = std::string(1, path[0]) + "=";
    for (std::size_t at = 0; at < drives.size();) {
        std::size_t end = drives.find(';', at);
        if (end == std::string::npos) end = drives.size();
        const std::string item = drives.substr(at, end - at);
        if (item.compare(0, 2, key) == 0) {
            std::string rest = path.substr(2);
            for (char& c : rest)
                if (c == '\\') c = '/';
            return item.substr(2) + rest;
        }
        at = end + 1;
    }
    return "/unmapped-drive/" + path;
}

// On Windows through KERNEL32, as the real library goes, so that a host that
// re-points the library's imports re-points these too.
#ifdef _WIN32
bool flagRaised() { return GetFileAttributesA("C:\\vrelDebug.flg") != INVALID_FILE_ATTRIBUTES; }

void appendTrace(const std::string& line) {
    HANDLE log = CreateFileA("D:\\ombrix_drvinst.log", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
}
#else
bool flagRaised() { return std::ifstream(nativePath("C:\\vrelDebug.flg")).good(); }

void appendTrace(const std::string& line) {
    std::ofstream(nativePath("D:\\ombrix_drvinst.log"), std::ios::app | std::ios::binary) << line;
}
#endif

void record(const std::string& line) {
    std::ofstream out(environment("MFGLIST_FAKE_RECORD"), std::ios::app | std::ios::binary);
    out << line << '\n';
}

void finish(const char* output) {
    if (flagRaised()) appendTrace("ORVANTIS == : RECORDED LIST RUN\r\n");
    const std::optional<std::string> text =
        mfg::test::readWholeFile(environment("MFGLIST_FAKE_LIST"));
    if (!text) return;
    std::ofstream(nativePath(output), std::ios::binary) << *text;
}

}  // namespace

extern "C" {

int MFGLIST_CALL MFG_InitMfgList(int kind, const char* commandLine, int drive) {
    record("init|" + std::to_string(kind) + "|" + commandLine + "|" + std::to_string(drive) +
           "|winver=" + environment("MFGLIST_WINVER"));
    return 1;
}

int MFGLIST_CALL MFG_CreateIniFile(int count, const char* const* ids, const char* output) {
    std::string line = "create|" + std::to_string(count) + "|";
    for (int i = 0; i < count; ++i) line += std::string(i ? "," : "") + "<" + ids[i] + ">";
    record(line + "|" + output + "|flag=" + (flagRaised() ? "1" : "0"));
    finish(output);
    return 1;
}

int MFGLIST_CALL MFG_CreateAllSoftIniFile(const char* output) {
    record(std::string("createall|") + output + "|flag=" + (flagRaised() ? "1" : "0"));
    finish(output);
    return 1;
}

}  // extern "C"
