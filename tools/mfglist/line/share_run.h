// The models of a catalogue run for `matrix` and `impact`, made in worker
// processes: each worker takes a share of the models, loads the library
// once and runs each model of its share as preview runs it (a scratch
// machine of its own per model), and the same run again through the core
// linked in, whose journal says what became of every section.  The worker
// writes what the parent needs as one JSON file; the parent never shares
// anything else with it but the read-only inputs.
#pragma once

#include <string>

#include "common/run_options.h"
#include "worker_protocol.h"

namespace mfgtool {

// --kind, --windows, --id and --ids-file are not used; --ignore is the
// catalogue's ignore file.
struct ModelWorkerOptions : RunOptions {
    std::string share;    // the worker's models: a WorkerShare's JSON file
    std::string result;   // where it writes its WorkerResult's JSON
    unsigned parent = 0;  // the process that started it; 0: none named
};

// What a model's run came to: its list written with entries, written
// without any, not written (the library's reason), failed (its reason), or
// written without a CD-ROM file of its kind.
inline const char* const kOutcomeWritten = "written";
inline const char* const kOutcomeEmpty = "empty";
inline const char* const kOutcomeNoList = "no-list";
inline const char* const kOutcomeFailed = "failed";
inline const char* const kOutcomeMissingFiles = "missing-files";

// The hidden sub-command the parent starts this program with.
inline const char* const kModelWorkerCommand = "model-worker";

// Always writes the result file, one result per model of the share, in
// order.  Returns 0 when every model ran, else the status of the first
// model's error.
int runModelWorker(const ModelWorkerOptions& options);

}  // namespace mfgtool
