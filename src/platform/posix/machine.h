// The shape of the Windows machine that the portable build pretends to be,
// read from the environment on every call so that a host (or a test) can
// change it between two list runs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mfg::platform::posix {

struct DriveMapping {
    char letter;         // upper-case 'A'..'Z'
    std::string folder;  // native folder, without a trailing '/' (except "/")
};

// What a run reads once (platform::RunSettingsHeld); null when no run on
// this thread holds them.
struct HeldRunSettings {
    std::optional<std::string> drives;       // MFGLIST_DRIVES, unset when absent
    std::optional<std::string> files;        // MFGLIST_FILES, unset when absent
    std::optional<std::string> debugOutput;  // MFGLIST_DEBUG_OUTPUT, unset when absent
    unsigned codePage = 1252;
};
const HeldRunSettings* heldRunSettings();

// MFGLIST_CODEPAGE as the environment says now (1252 when unset or unknown).
unsigned codePageOfEnvironment();

// MFGLIST_DRIVES, e.g. "C=/srv/c;D=/srv/d".  Z: maps to "/" unless the
// variable maps it elsewhere.  Malformed entries are skipped.
std::vector<DriveMapping> driveMap();

// MFGLIST_FILES, e.g. "C:\vrelDebug.flg=/tmp/side/flag;D:\ombrix_drvinst.log=/tmp/side/log":
// single files placed apart from their drive, as a host that traces a run
// for itself puts the library's fixed files where the user's drives are not
// touched.  A path is matched whole, without regard to ASCII case, and wins
// over the drive map.

// The native path for a Windows path, resolving each component without
// regard to ASCII case (the exact spelling wins when both exist).  Components
// that do not exist keep the case given, so new files are created as named.
// Empty when the path's drive is not mapped or the path cannot be expressed.
std::optional<std::string> resolvePath(std::string_view windowsPath);

// The same, and whether the search itself already found a component missing:
// then nothing exists at the path and the caller need not ask again (the
// trace's flag-file check, made before every message, costs one call so).
struct ResolvedPath {
    std::string native;
    bool knownMissing = false;
};
// A caller that only asks whether the path exists passes false for
// `nativeIfMissing`: a path known missing may then come without its native
// path (the flag file's check is spared making one before every message).
std::optional<ResolvedPath> resolvePathNoting(std::string_view windowsPath,
                                              bool nativeIfMissing = true);

// A native absolute path expressed on the drive whose folder holds it
// (longest match), else on Z:.
std::string toWindowsPath(const std::string& nativePath);

}  // namespace mfg::platform::posix
