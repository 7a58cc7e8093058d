// How the host reports trouble: one exception type per exit status, so that
// every command can stop anywhere with one line for the user and main() alone
// turns it into the status a script can test.
#pragma once

#include <stdexcept>

namespace mfgtool {

enum ExitStatus : int {
    kExitOk = 0,
    kExitRunFailed = 1,       // this machine let the run down (temporary folder, a file)
    kExitBadUse = 2,          // the command line asks for something impossible
    kExitLibraryProblem = 3,  // the library cannot be loaded or lacks an export
    kExitNoList = 4,          // the library wrote no list, or one without entries
    kExitListRunFailed = 5,   // the library traced a failed run and left the list as it was
    kExitIncomplete = 6,      // preview: a list written without a CD-ROM file of its kind
    kExitDifferent = 1,       // diff: the two lists differ (as diff(1) says it)
    kExitLintFindings = 1,    // lint: an error (or, with --strict, a warning) was found
    kExitGaps = 1,            // matrix --require-coverage: an uncovered ID or an empty list
    kExitImpact = 1,          // impact: some model's list changes
};

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct LibraryError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct RunError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The library ran but left no list to use; the message says why.
struct NoListError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The library traced a failed run (a file it could not read or write, an
// error of its own); the message gives its reason.
struct FailedRunError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A list written without a CD-ROM file of its kind, where that is refused.
struct IncompleteError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace mfgtool
