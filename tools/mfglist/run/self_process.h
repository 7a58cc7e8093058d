// This program started again as worker processes, and other programs run
// for their output: the platform's process calls (posix_spawn and waitpid,
// CreateProcess and WaitForMultipleObjects), chosen by the build.
#pragma once

#include <string>
#include <vector>

namespace mfgtool {

// Runs this program once per argument list (without the program name), at
// most `jobs` at a time, and gives each one's exit status in the same
// order; -1 for one that could not be started.  The workers share the
// standard streams.
std::vector<int> runSelfInParallel(const std::vector<std::vector<std::string>>& argLists,
                                   unsigned jobs);

// Runs `program` (found on the PATH) with `args` and gives its exit status,
// its standard output in `output` and, when `errors` is given, its standard
// error there (else it is dropped); -1 when it cannot be started.
int runCapturing(const std::string& program, const std::vector<std::string>& args,
                 std::string& output, std::string* errors = nullptr);

}  // namespace mfgtool
