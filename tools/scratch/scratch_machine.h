// The pretend Windows machine that the project's own programs run the
// library on: a folder per drive letter in one folder of the program's, and
// on the portable build the environment that leads the library there
// (MFGLIST_DRIVES and the other machine variables).  On Windows the library
// sees the real drives; a program that wants its fixed files elsewhere (the
// tool) points the library's imports at its folders itself.
//
// The test programs, the fuzz targets and the benchmarks take a whole
// machine (ScratchMachine); the tool makes its run's folder its own way (it
// must be removed when a run is stopped) and lays out its drives in it with
// the pieces below.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace mfg::scratch {

// The variables that shape the machine the POSIX library sees.
inline constexpr const char* kMachineVariables[] = {"MFGLIST_DRIVES",       "MFGLIST_SYSTEM_DIR",
                                                    "MFGLIST_WINVER",       "MFGLIST_CODEPAGE",
                                                    "MFGLIST_DEBUG_OUTPUT", "MFGLIST_FILES"};

// A variable of this process's environment: its value, nullopt when unset;
// a value of nullopt removes it.
std::optional<std::string> environment(const std::string& name);
void setEnvironment(const std::string& name, const std::optional<std::string>& value);
// Removes every one of kMachineVariables: a machine of the program's own
// owes nothing to the developer's settings.
void clearMachineVariables();

// Drive letters (upper case) and the native folders behind them, in the
// order of the letters.
using DriveMap = std::map<char, std::filesystem::path>;

// A drive's folder in a machine's folder: `root`/c for C:.
std::filesystem::path driveFolder(const std::filesystem::path& root, char letter);

// The drives as MFGLIST_DRIVES names them: "C=/x/c;D=/x/d".
std::string driveMapText(const DriveMap& drives);

// Makes the folder of each of `letters` in `root`, which must be there (it
// is never made again).  On a failure `error` says why and `failed` names
// the folder; the drives made before it are in `drives`.
struct DriveFolders {
    DriveMap drives;
    std::filesystem::path failed;
    std::error_code error;
};
DriveFolders makeDriveFolders(const std::filesystem::path& root, std::string_view letters);

// Removes `path` with everything in it, write access given back first (a
// test may leave a file or folder read-only); quietly, as much as it can.
void removeTree(const std::filesystem::path& path);

// A whole machine for a program of the project's, for the life of the
// object.  On the portable build: a fresh folder "mfglist-NAME-XXXXXX" under
// TMPDIR (else /tmp), a folder per drive of `letters` in it, and an
// environment with none of the developer's machine variables and
// MFGLIST_DRIVES leading to those folders; the folder is removed with
// everything in it when the object ends.  On Windows: the real drives, each
// root of `letters` made where it is missing (a Wine prefix made by hand may
// lack D:).
class ScratchMachine {
public:
    explicit ScratchMachine(std::string_view name, std::string_view letters = "CD");
    ~ScratchMachine();
    ScratchMachine(const ScratchMachine&) = delete;
    ScratchMachine& operator=(const ScratchMachine&) = delete;

    // Why the machine is not there ("" when it is): the folder that could
    // not be made and the system's reason.
    const std::string& problem() const { return problem_; }

    // The native folder behind a drive letter of the machine.
    std::string folder(char letter) const;

    // The native path the program's own file functions use for a Windows
    // path on one of the machine's drives ("C:\\PF\\MfgProc.ini").
    std::string native(std::string_view windowsPath) const;

private:
    std::filesystem::path root_;  // empty on Windows and when none was made
    std::string problem_;
};

}  // namespace mfg::scratch
