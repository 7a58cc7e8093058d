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

}  // namespace mfgtool
