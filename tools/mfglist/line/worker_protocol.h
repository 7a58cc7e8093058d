// What a parent and its model workers say to each other (share_run.h): the
// share a worker is given and the result it gives back, each one message of
// JSON text in a file.  Both sides write and read them here only, and read
// them strictly: a member that is missing or of another type is an error
// naming it, never a default, so that a key renamed on one side cannot pass
// unnoticed as false or 0 on the other.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "entry_verdict.h"
#include "ids/id_devices.h"

namespace mfgtool {

// A message that is not what its reader expects; the text names the
// member, as "models[2].sections[7]: ...".
struct ProtocolError : RunError {
    using RunError::RunError;
};

// What differs between the models of one folder's run.
struct ModelInShare {
    std::string kind;
    std::optional<std::string> windows;
    std::optional<std::string> idsFile;  // none for the complete software list
    std::string list;                    // where the loaded library's list is kept
};

struct WorkerShare {
    std::vector<ModelInShare> models;
};

// A section as one model's run saw it, its texts UTF-8.
struct SectionInRun {
    SectionPlace place;           // the file named within the folder
    std::optional<int> position;  // in the model's list
    std::string reason;           // what explain says of it
    SectionOutcome outcome = SectionOutcome::notRead;
    std::optional<SectionPlace> other;  // the entry in its way, when one was
};

// The devices of the model's ID file and the ones no listed entry claims,
// as the reports show them (UTF-8).
struct ShownCoverage {
    std::size_t devices = 0;
    std::size_t ignored = 0;
    std::vector<IdDevice> uncoveredDevices;
    std::vector<std::string> uncoveredIds;  // every ID of the uncovered devices
};

// One model's run, or why it could not run (`exitStatus` not 0, `error`
// set and nothing else).
struct ModelResult {
    int exitStatus = kExitOk;
    std::string error;
    std::string windows;  // what the run used
    bool listWritten = false;
    std::size_t entryCount = 0;
    std::optional<std::string> noList;
    std::string outcome;  // kOutcome... of share_run.h
    int outcomeStatus = 0;
    std::vector<std::string> missingFiles;
    std::vector<std::pair<int, std::string>> entryProblems;  // list position, why
    bool sameAsCore = true;  // the core linked in wrote the loaded library's list
    std::string folderForLibrary;
    std::vector<SectionInRun> sections;  // in the order the run read them
    bool idsMatched = false;
    std::optional<ShownCoverage> coverage;  // none when the list matches no IDs or the run failed
};

struct WorkerResult {
    std::vector<ModelResult> models;  // one per model of the share, in its order
};

// The share as {"models": [{"kind", "list", "windows"?, "ids_file"?}]},
// written and read as the result is below.
std::string workerShareText(const WorkerShare& share);
WorkerShare readWorkerShare(std::string_view text);

// The result as {"places", "reasons", "models"}: a share of 50 models over
// 300 sections would name every place 50 times and most reasons as often,
// so each section's place ([file, section, line]) and reason are written
// once per share and named by their index.  A section is [place, position
// or null, reason, outcome name, place of the entry in its way or null].
// Written straight as compact text, and read straight back: members in
// any order, ones not known skipped, anything else amiss (text that is not
// JSON or cut short among it) a ProtocolError naming where.
std::string workerResultText(const WorkerResult& result);
WorkerResult readWorkerResult(std::string_view text);

}  // namespace mfgtool
