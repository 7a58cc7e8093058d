// The plan of a run from a folder of process files: the options checked
// against the folder and against what the library can take, before anything
// is loaded or made.  Every refusal is a UsageError that says what to do.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/file_writes.h"
#include "common/run_options.h"
#include "ids/id_devices.h"
#include "machine.h"

namespace mfgtool {

struct Plan {
    std::filesystem::path folder;
    bool cdrom = false;
    int listKind = 0;  // LIST_DRIVER or LIST_SOFTWARE
    bool allSoftware = false;
    std::string kind;                  // driver, software, all-software
    std::optional<std::string> group;  // in the library's code page
    bool callFactory = false;
    std::vector<std::string> ids;                  // in the library's code page
    bool idsFileEmpty = false;                     // --ids-file named a file without IDs
    std::vector<IdDevice> devices;                 // the IDs by device (id_devices.h)
    std::optional<std::filesystem::path> idsFile;  // --ids-file, unless standard input
    // Where the list kind and Windows came from: "option", "ids-file header"
    // (a model file's "# kind:" / "# windows:"), or "default".
    std::string kindFrom = "default";
    std::string windowsFrom = "default";
    std::optional<Windows> windows;
    std::optional<std::filesystem::path> output;  // native; none = a temporary file
    std::vector<ReadFile> reads;  // the process files and the IDs file, never to be overwritten
    int codePage = 0;
};

Plan planRun(const RunOptions& options);

// Adds the --output of preview to `plan`; a file the run reads is refused.
void planOutput(Plan& plan, const std::string& output);

// The library starts an option at a "-" that opens the line or follows white
// space, so such a "-" inside a value would cut the value short there.
void requireOptionSafe(const std::string& value, const std::string& what);

// A command-line value (UTF-8 on Linux, the code page already on Windows) in
// the library's code page; throws UsageError naming `what` when it cannot be.
std::string argumentForLibrary(const std::string& value, int codePage, const std::string& what);

}  // namespace mfgtool
