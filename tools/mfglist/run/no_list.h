// Why a run gave no list to use: the library never says so to its host, but
// its trace names what it could not read or write, and the machine tells
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

// What the trace of a run says went wrong.  A failed run hit a file that is
// there and could not be read or written, or an error of the library itself:
// the list file was left as it was (or, for an error that did not stop the
// run, written from a guess), whatever file is at its path.  Otherwise the
// line only says why no list was written: a process file or a list folder
// that is missing (in CD-ROM mode one of the two driver files may be).
struct TracedProblem {
    std::string reason;
    bool failedRun = false;
};

// Whether a trace line is one that problemFromTrace reads: a run's other
// lines need not be kept to find its problem.
bool namesAProblem(const std::string& line);

// The first failure the trace lines of a run name, else the first missing
// file; nullopt when they name neither.
std::optional<TracedProblem> problemFromTrace(const std::vector<std::string>& trace,
                                              const NativePath& native);

}  // namespace mfgtool
