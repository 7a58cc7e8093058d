// The models of a catalogue run for `matrix` and `impact`, made in worker
// processes: each worker takes a share of the models, loads the library
// once and runs each model of its share as preview runs it (a scratch
// machine of its own per model), and the same run again through the core
// linked in, whose journal says what became of every section.  The worker
// writes what the parent needs as one JSON file; the parent never shares
// anything else with it but the read-only inputs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/run_options.h"
#include "common/json.h"

namespace mfgtool {

// What differs between the models of one folder's run.
struct ModelInShare {
    std::string kind;
    std::optional<std::string> windows;
    std::optional<std::string> idsFile;  // none for the complete software list
    std::string list;                    // where the loaded library's list is kept
};

struct ModelWorkerOptions : RunOptions {  // --kind, --windows, --id and --ids-file are not used
    std::string share;                  // the worker's models: a JSON file (shareJson)
    std::string result;                 // the worker's JSON file: one result per model
    std::optional<std::string> ignore;  // the catalogue's ignore file
};

// The hidden sub-command the parent starts this program with.
inline const char* const kModelWorkerCommand = "model-worker";

// The share file's contents for `models`.
Json shareJson(const std::vector<ModelInShare>& models);

// Always writes the result file: {"places", "reasons", "models"}, "models"
// one object per model of the share, in order: the run (each section as
// [index into places, list position or null, index into reasons]; a place
// is [file, section, line]; "section_outcomes" beside them, each [outcome
// name, index into places of the entry in its way or null]), or {"error",
// "exit_status"}.  Returns 0 when every model ran, else the status of the
// first model's error.
int runModelWorker(const ModelWorkerOptions& options);

}  // namespace mfgtool
