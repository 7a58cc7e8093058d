// The machine's answers on the POSIX build: system directory, Windows
// version, code page, the library's own path and the debugger output, each
// from the environment (see the table of variables in docs/library.md).
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/posix/machine.h"

namespace mfg::platform {
namespace {

constexpr std::uint32_t kErrorInvalidParameter = 87;

// Build numbers of the releases the library tells apart, as those systems
// report them with their last service pack.
std::uint32_t buildOf(std::uint32_t major, std::uint32_t minor) {
    if (major == 5 && minor == 1) return 2600;
    if (major == 5 && minor == 2) return 3790;
    if (major == 6 && minor == 0) return 6002;
    if (major == 6 && minor == 1) return 7601;
    if (major == 6 && minor == 2) return 9200;
    return 0;
}

bool parseNumber(const std::string& text, std::uint32_t& value) {
    if (text.empty() || text.size() > 4) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return true;
}

}  // namespace

bool systemDirectory(std::string& dir) {
    const char* value = std::getenv("MFGLIST_SYSTEM_DIR");
    if (!value) {
        dir = "C:\\WINDOWS\\system32";
        return true;
    }
    dir = value;
    return !dir.empty();
}

bool moduleFileName(std::string& path) {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&moduleFileName), &info) == 0 || !info.dli_fname)
        return false;
    char real[PATH_MAX];
    if (!::realpath(info.dli_fname, real)) return false;
    path = posix::toWindowsPath(real);
    return true;
}

bool windowsVersion(VersionInfo& info, std::uint32_t& lastError) {
    const char* value = std::getenv("MFGLIST_WINVER");
    std::string text = value ? value : "5.1";
    bool server = false;
    const std::size_t colon = text.find(':');
    if (colon != std::string::npos) {
        if (text.substr(colon + 1) != "server") {
            lastError = kErrorInvalidParameter;
            return false;
        }
        server = true;
        text.resize(colon);
    }
    const std::size_t dot = text.find('.');
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    if (dot == std::string::npos || !parseNumber(text.substr(0, dot), major) ||
        !parseNumber(text.substr(dot + 1), minor)) {
        lastError = kErrorInvalidParameter;
        return false;
    }
    info = VersionInfo{};
    info.major = major;
    info.minor = minor;
    info.build = buildOf(major, minor);
    info.platformId = 2;
    info.productType = server ? 3 : 1;
    info.extended = true;
    return true;
}

void debugOutput(const char* text) {
    // Every entry is named so, traced or not: within a run the environment
    // is asked once.
    const char* target = nullptr;
    if (const posix::HeldRunSettings* held = posix::heldRunSettings()) {
        if (held->debugOutput) target = held->debugOutput->c_str();
    } else {
        target = std::getenv("MFGLIST_DEBUG_OUTPUT");
    }
    if (!target || !*target || !text) return;
    if (std::strcmp(target, "stderr") == 0) {
        std::fprintf(stderr, "%s\n", text);
        return;
    }
    if (FILE* file = std::fopen(target, "a")) {
        std::fprintf(file, "%s\n", text);
        std::fclose(file);
    }
}

// Asked for every path a run resolves: compared in place, nothing allocated,
// and within a run not asked of the environment at all.
unsigned activeCodePage() {
    if (const posix::HeldRunSettings* held = posix::heldRunSettings()) return held->codePage;
    return posix::codePageOfEnvironment();
}

unsigned posix::codePageOfEnvironment() {
    const char* value = std::getenv("MFGLIST_CODEPAGE");
    if (!value) return 1252;
    for (const char* known : {"1252", "932", "936", "949", "950"})
        if (std::strcmp(value, known) == 0) return static_cast<unsigned>(std::atoi(known));
    return 1252;
}

}  // namespace mfg::platform
