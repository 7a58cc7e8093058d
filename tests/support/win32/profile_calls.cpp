// The profile calls on Windows: KERNEL32's own.
#include <windows.h>

#include "support/profile_calls.h"

namespace mfg::test {

std::string readProfileString(std::string_view section, std::string_view key, std::string_view def,
                              std::size_t bufferSize, std::string_view file) {
    if (bufferSize == 0) return std::string();
    std::string buffer(bufferSize, '\0');
    const DWORD n = GetPrivateProfileStringA(
        std::string(section).c_str(), std::string(key).c_str(), std::string(def).c_str(),
        &buffer[0], static_cast<DWORD>(bufferSize), std::string(file).c_str());
    buffer.resize(n < bufferSize ? n : bufferSize - 1);
    return buffer;
}

bool writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                        std::string_view file) {
    return WritePrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                      std::string(value).c_str(),
                                      std::string(file).c_str()) != FALSE;
}

bool copyFile(std::string_view from, std::string_view to) {
    return CopyFileA(std::string(from).c_str(), std::string(to).c_str(), FALSE) != FALSE;
}

}  // namespace mfg::test
