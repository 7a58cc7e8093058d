// The machine's answers on Windows: thin calls into KERNEL32.
#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace mfg::platform {

bool systemDirectory(std::string& dir) {
    char buffer[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryA(buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    dir.assign(buffer, n);
    return true;
}

bool moduleFileName(std::string& path) {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&moduleFileName), &self))
        return false;
    char buffer[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(self, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    path.assign(buffer, n);
    return true;
}

bool windowsVersion(VersionInfo& info, std::uint32_t& lastError) {
    OSVERSIONINFOEXA extended{};
    extended.dwOSVersionInfoSize = sizeof extended;  // 156
    info = VersionInfo{};
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
        info.major = extended.dwMajorVersion;
        info.minor = extended.dwMinorVersion;
        info.build = extended.dwBuildNumber;
        info.platformId = extended.dwPlatformId;
        info.productType = extended.wProductType;
        info.extended = true;
        return true;
    }
    OSVERSIONINFOA basic{};
    basic.dwOSVersionInfoSize = sizeof basic;  // 148
    if (GetVersionExA(&basic)) {
        info.major = basic.dwMajorVersion;
        info.minor = basic.dwMinorVersion;
        info.build = basic.dwBuildNumber;
        info.platformId = basic.dwPlatformId;
        return true;
    }
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    lastError = GetLastError();
    return false;
}

void debugOutput(const char* text) { OutputDebugStringA(text ? text : ""); }

unsigned activeCodePage() { return GetACP(); }

RunSettingsHeld::RunSettingsHeld() = default;
RunSettingsHeld::~RunSettingsHeld() = default;

}  // namespace mfg::platform
