// The Windows machine that the library sees while the host runs it.
//
// The library speaks Windows paths on every platform and keeps its own files
// at fixed paths (C:\vrelDebug.flg, D:\ombrix_drvinst.log, Temp.ini at the
// root of the system drive, D:\temp.ini).  A preview runs it in a scratch
// machine of its own, so that those files never touch the user's drives and
// the Windows version is the one asked for.  On Linux the machine comes from
// the environment (MFGLIST_DRIVES, MFGLIST_WINVER); on Windows the host
// points the library's imports of the file and version calls at its own
// functions, which send the fixed paths to scratch folders and report the
// version asked for.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mfgtool {

class DynamicModule;

enum class Windows { xp, vista };

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

    // The native path behind a Windows path of the library's; nullopt when
    // its drive does not exist for the library.
    virtual std::optional<std::filesystem::path> nativePath(const std::string& path) const = 0;

    // Sets the Windows version the library will detect: `wanted`, else the
    // machine's own, which it returns.
    virtual Windows settleWindows(std::optional<Windows> wanted) = 0;

    // Puts the machine in place for `library`; call before the first call
    // into it.
    virtual void publish(const DynamicModule& library) = 0;

    // What the user should know about this machine (one line each).
    virtual std::vector<std::string> notes() const = 0;
};

// `scratch` is an empty folder of the host's that the machine may fill; the
// caller removes it after the run.
std::unique_ptr<LibraryMachine> makeLibraryMachine(const std::filesystem::path& scratch);

// The `host` command's raw machine settings: the drive map and the Windows
// version of the POSIX machine, checked and passed on.  Throws UsageError on
// a malformed value, and on Windows, where the library sees the real drives
// and version.
void applyHostMachine(const std::optional<std::string>& drives,
                      const std::optional<std::string>& winver);

// For `host` when the user's flag is down: the library's debug flag and
// trace log are `flag` and `log`, files of the host's own, for the rest of
// the process, so that its trace of the run can say why a run failed.  The
// user's drives, flag and log are not touched, and the library's debugger
// output goes nowhere, as it would with the flag down.  Call before the
// library's first call.
void traceIntoSideFiles(const DynamicModule& library, const std::filesystem::path& flag,
                        const std::filesystem::path& log);

// Where `host`'s list path is on this machine (through the drive map on
// Linux); nullopt with `why` set when the library cannot reach it.
std::optional<std::filesystem::path> hostNativePath(const std::string& path, std::string& why);

// Checks a drive map "C=/srv/c;D=/srv/d" and a version "6.0" or "6.0:server".
void checkDriveMap(const std::string& map);
void checkWinver(const std::string& winver);

}  // namespace mfgtool
