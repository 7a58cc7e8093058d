// The library's own imports of KERNEL32 (and the C run-time's fopen, which
// writes its trace log), re-pointed for a preview: its file
// calls send the library's fixed paths to scratch files, and its version
// query reports the Windows asked for.  Only the import table of the module
// given changes; the rest of the process and the machine are untouched.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>

namespace mfgtool {

struct ImportRedirect {
    // Lower-case Windows path -> native file used instead.
    std::map<std::string, std::string> files;
    std::optional<std::pair<DWORD, DWORD>> version;  // major, minor of a workstation
    std::string systemDirectory;                     // empty: the real one
    bool quietDebugger = false;                      // the library's debugger output goes nowhere
};

// Installs `redirect` for `library` for the rest of the process.  `library`
// may be this program's own image (GetModuleHandle(NULL)), for a core linked
// in: the redirect's own calls then still reach the real functions.
void redirectLibraryImports(HMODULE library, const ImportRedirect& redirect);

}  // namespace mfgtool
