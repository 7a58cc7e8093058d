#include "machine.h"

#include <windows.h>

#include <system_error>

#include "errors.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

// The library's own detection: only 6.0 on an NT workstation is Vista, and
// only when the extended version record can be had.
Windows detectWindows() {
    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return Windows::Xp;
    const bool vista = info.dwPlatformId == VER_PLATFORM_WIN32_NT &&
                       info.wProductType == VER_NT_WORKSTATION && info.dwMajorVersion == 6 &&
                       info.dwMinorVersion == 0;
    return vista ? Windows::Vista : Windows::Xp;
}

class Win32Machine : public LibraryMachine {
public:
    std::string reach(const fs::path& folder, char) override {
        std::error_code ec;
        fs::path absolute = fs::absolute(folder, ec);
        if (ec) absolute = folder;
        std::string path = absolute.make_preferred().string();
        if (path.empty() || path.back() != '\\') path += '\\';
        return path;
    }

    fs::path fixedFile(char drive, const std::string& name) const override {
        return fs::path(std::string(1, drive) + ":\\" + name);
    }

    Windows settleWindows(std::optional<Windows> wanted) override {
        const Windows detected = detectWindows();
        if (wanted && *wanted != detected)
            throw UsageError(std::string("this Windows is detected as ") + windowsName(detected) +
                             " and the library reads the real version, so --windows " +
                             windowsName(*wanted) + " can only be previewed on Linux or on " +
                             windowsName(*wanted));
        return detected;
    }

    void publish() override {}

    std::vector<std::pair<char, fs::path>> mappedDrives() const override { return {}; }
};

}  // namespace

std::unique_ptr<LibraryMachine> makeLibraryMachine(const fs::path&) {
    return std::make_unique<Win32Machine>();
}

void applyHostMachine(const std::optional<std::string>& drives,
                      const std::optional<std::string>& winver) {
    if (drives)
        throw UsageError(
            "--drives is for the Linux build; on Windows the library sees the real drives");
    if (winver)
        throw UsageError(
            "--winver is for the Linux build; on Windows the library reads the real version");
}

}  // namespace mfgtool
