// One model's run for `matrix` and `impact`, made in a worker process of
// its own: the loaded library's run exactly as preview makes it (its own
// scratch machine), and the same run through the core linked in, whose
// journal says what became of every section.  The worker writes what the
// parent needs as a JSON file; the parent never shares anything else with
// it but the read-only inputs.
#pragma once

#include <optional>
#include <string>

#include "common/run_options.h"

namespace mfgtool {

struct ModelWorkerOptions : RunOptions {
    std::string result;                 // the worker's JSON file
    std::optional<std::string> list;    // where the loaded library writes the list
    std::optional<std::string> ignore;  // the catalogue's ignore file
};

// The hidden sub-command the parent starts this program with.
inline const char* const kModelWorkerCommand = "model-worker";

// Always writes the result file: the run, or {"error", "exit_status"}.
// Returns the status that the run's error would have (0 when it ran).
int runModelWorker(const ModelWorkerOptions& options);

}  // namespace mfgtool
