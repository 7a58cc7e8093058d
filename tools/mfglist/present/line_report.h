// What a line's run comes to for a person, worked out once: the line's
// totals, one summary row per model with the problems first, the models
// whose lists are identical, each model's list in install order and why
// its entries cannot run, the uncovered devices gathered across the
// models, and the names of the devices shown.  The text,
// the JSON and the page of `matrix` render this; none of them counts or
// sorts anything of its own, so the three can never disagree.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "line/line_runs.h"

namespace mfgtool {

class IdNames;

// One model's line of the summary.
struct ModelSummary {
    std::size_t model = 0;  // its place in LineRun::models (the catalogue's order)
    std::size_t entries = 0;
    std::size_t checkedDevices = 0;    // the devices of its ID file, less those ignored
    std::size_t uncoveredDevices = 0;  // no listed entry claims any of their IDs
    std::size_t entryProblems = 0;     // listed entries a host cannot run as listed
    std::size_t warnings = 0;
    bool failed = false;  // the run failed or the media lacks its files: no answer at all
    // Anything a person must look at: no whole list, an uncovered device, a
    // listed entry a host cannot run, a warning.
    bool needsAttention() const;
};

// The line as a whole.
struct LineTotals {
    std::size_t models = 0;
    std::size_t modelsNeedingAttention = 0;
    std::size_t failedModels = 0;
    std::size_t entries = 0;        // entry sections that are this list's candidates
    std::size_t deadEntries = 0;    // candidates no model lists
    std::size_t notCandidates = 0;  // entry sections not for this list at all
    std::size_t uncoveredDevices = 0;
    std::size_t uncoveredIds = 0;  // every ID of every uncovered device
    std::size_t entryProblems = 0;
    std::size_t warnings = 0;
};

// A device no listed entry claims, once however many models have it: the
// same IDs are the same device.
struct UncoveredDevice {
    const IdDevice* device = nullptr;  // as the first model that has it holds it
    std::vector<std::size_t> models;   // every model that has it, in the catalogue's order
};

struct LineReport {
    const LineOptions* options = nullptr;
    const LineRun* line = nullptr;
    std::string status;  // "ok", "gaps", "failed" or "incomplete"
    int exitStatus = 0;
    LineTotals totals;
    // Every model once: those needing attention first (failed runs, then
    // runs without entries, then by how much is wrong), then the rest, each
    // part in the catalogue's order.
    std::vector<ModelSummary> summary;
    std::vector<std::size_t> summaryRowOf;  // per model: its place in `summary`
    // The models (places in LineRun::models) whose runs came to the same
    // outcome and the same list: the same entries at the same positions.
    // Groups in the order of their first model; a model alone is a group.
    std::vector<std::vector<std::size_t>> identicalLists;
    // The name of each ID shown (an uncovered device's IDs, the entries'
    // HARDIDs) that the ID databases know; an ID they do not know is absent.
    std::map<std::string, std::string> idNames;
    // Per model, per uncovered device (ModelRun::uncoveredDevices): its name
    // from the first of its IDs the databases know, else none.
    std::vector<std::vector<std::optional<std::string>>> deviceNames;
    // Per model, its list in install order: each listed entry's position
    // and its place in LineRun::rows.
    std::vector<std::vector<std::pair<int, std::size_t>>> installOrder;
    // Every uncovered device of every model once, in the order of their IDs.
    std::vector<UncoveredDevice> uncoveredAcrossModels;
    // Per model, ModelRun::entryProblems by list position: a cell of the
    // grid finds its problem without a walk of its model's problems.
    std::vector<std::unordered_map<int, const std::string*>> entryProblemIndex;

    const ModelSummary& summaryOf(std::size_t model) const;
    // Why the entry at `position` of the model's list cannot run (nullptr:
    // it can).
    const std::string* entryProblem(std::size_t model, int position) const;
};

// `line` and `options` must outlive the report.  `names` may be null: no
// device is then named.
LineReport buildLineReport(const LineOptions& options, const LineRun& line,
                           const std::string& status, int exitStatus, const IdNames* names);

}  // namespace mfgtool
