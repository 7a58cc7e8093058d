// The Windows machine that the library sees while the host runs it.
//
// The library speaks Windows paths on every platform.  On Windows the host
// hands it real paths and cannot change the Windows version it detects.  On
// Linux the library's machine comes from the environment (MFGLIST_DRIVES,
// MFGLIST_WINVER, ...), so the host builds one for each preview: scratch
// drives C: and D: for the library's fixed files, and a drive letter for
// every native folder the library must reach.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mfgtool {

enum class Windows { Xp, Vista };

const char* windowsName(Windows windows);  // "xp", "vista"

class LibraryMachine {
public:
    virtual ~LibraryMachine() = default;

    // The Windows path, ending in a backslash, under which the library
    // reaches the native `folder`.  `preferredDrive` is the letter to map it
    // to where folders are mapped to drives.
    virtual std::string reach(const std::filesystem::path& folder, char preferredDrive) = 0;

    // The native file behind the library's fixed path `drive`:\`name`
    // (C:\vrelDebug.flg, D:\ombrix_drvinst.log).
    virtual std::filesystem::path fixedFile(char drive, const std::string& name) const = 0;

    // The Windows version the library will detect: `wanted` where the host
    // can choose it, else the machine's own.  Throws UsageError when
    // `wanted` cannot be had here.
    virtual Windows settleWindows(std::optional<Windows> wanted) = 0;

    // Puts the machine in place; call before the first call into the library.
    virtual void publish() = 0;

    // The drive letters the host mapped, with their native folders.
    virtual std::vector<std::pair<char, std::filesystem::path>> mappedDrives() const = 0;
};

// `scratch` is an empty folder of the host's that the machine may fill; the
// caller removes it after the run.
std::unique_ptr<LibraryMachine> makeLibraryMachine(const std::filesystem::path& scratch);

// The `host` command's raw machine settings: the drive map and the Windows
// version of the POSIX machine, passed on unchanged.  Throws UsageError on
// Windows, where the library sees the real drives and version.
void applyHostMachine(const std::optional<std::string>& drives,
                      const std::optional<std::string>& winver);

}  // namespace mfgtool
