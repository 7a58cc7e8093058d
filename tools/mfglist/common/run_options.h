// The options that several commands share: a run of the library from a
// folder of process files, what is done with its list, and a run of every
// model of a catalogue.  Each command's own options stand in its own file.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mfgtool {

// What a run of the library from a folder of process files needs.  `preview`
// takes these; a command that explains or checks the same run takes them too
// (options.h adds them to a command).
struct RunOptions {
    std::string folder;
    bool cdrom = false;
    std::optional<std::string> group;
    bool callFactory = false;
    std::string kind = "driver";  // driver, software, all-software
    bool kindGiven = false;       // --kind was given: it wins over an ID file's header
    std::vector<std::string> ids;
    std::optional<std::string> idsFile;
    std::optional<std::string> windows;  // xp, vista, vista64
    std::optional<std::string> library;
    // Device IDs that need no driver; by default a catalogue's ignore.ids
    // (beside the --ids-file, or in --models).
    std::optional<std::string> ignore;
};

// What a command that runs the list and shows it does with the result.
struct ListOutputOptions {
    std::optional<std::string> output;
    bool trace = false;
    bool json = false;
    bool allowEmpty = false;
};

// A run of every model of a catalogue (matrix, impact).
struct LineOptions : RunOptions {  // RunOptions' --id and --ids-file are not taken
    std::string models;
    std::optional<unsigned> jobs;
    std::optional<std::string> lists;  // keep each model's list file there
    std::optional<std::string> html;   // the report as one page
};

}  // namespace mfgtool
