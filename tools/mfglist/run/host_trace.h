// The library's trace of one `host` run, read whether or not the user raised
// the debug flag, so that a failed run is never reported as a success.  With
// the user's flag up the lines are those this run added to the user's log,
// which stays as the library left it; with the flag down the library traces
// into side files of the host's own (traceIntoSideFiles), removed afterwards.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "library.h"
#include "no_list.h"
#include "scratch_run.h"
#include "trace_capture.h"

namespace mfgtool {

class HostTrace {
public:
    // Before the library's first call.  `native` finds the user's files.
    HostTrace(const DynamicModule& library, const NativePath& native);

    // The lines of this run, without line ends.
    std::vector<std::string> lines() const;

private:
    std::optional<ScratchFolder> side_;  // removed after the capture ends
    std::optional<TraceCapture> capture_;
};

}  // namespace mfgtool
