// The command line of the tool: one parser for every command, each command
// added to it by its own file; the options a run from a folder of process
// files takes (preview, and any command that runs the same way); and the
// parser's complaints in the tool's own words.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "run_options.h"

namespace mfgtool {

// A command as main() knows it: its parser, and the run that the options it
// parsed make.  The run returns the exit status, or throws one of the errors
// of errors.h, and writes what it shows into `out` as UTF-8.
struct Command {
    CLI::App* parser = nullptr;
    std::function<int(std::ostream& out)> run;
};

extern const char* const kExitStatusHelp;

// --cdrom, --group, --callfactory: how the library is run.
void addRunModeOptions(CLI::App& command, RunOptions& options);

// FOLDER, --cdrom, --group, --callfactory, --kind, --id, --ids-file,
// --windows, --library.
void addRunOptions(CLI::App& command, RunOptions& options);

// --output, --trace, --json, --allow-empty: what a command that runs the
// list does with it.
void addListOutputOptions(CLI::App& command, ListOutputOptions& options);

// --json: the output as the JSON of docs/mfglist.schema.json.
void addJsonOption(CLI::App& command, bool& json);

// --id-names: where pci.ids and usb.ids are (ids/id_names.h).
void addIdNamesOption(CLI::App& command, std::optional<std::string>& where);

// The parser's message for `error` in the tool's style: lower case, says
// what to do.
std::string parseErrorMessage(const CLI::ParseError& error);

}  // namespace mfgtool
