// Why the library wrote no list: the library never says so to its host, but
// its trace names the process file it could not open, and the machine tells
// whether a drive or folder on the way is missing.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mfgtool {

// The native file behind a Windows path of the library's; nullopt when the
// drive does not exist for the library.
using NativePath = std::function<std::optional<std::filesystem::path>(const std::string&)>;

// Why a file the library wanted at `path` is not there: its drive, its
// folder, or the file itself.
std::string whyMissing(const std::string& path, const NativePath& native, const char* what);

// The reason from the trace lines of a run, if they hold one.
std::optional<std::string> reasonFromTrace(const std::vector<std::string>& trace,
                                           const NativePath& native);

}  // namespace mfgtool
