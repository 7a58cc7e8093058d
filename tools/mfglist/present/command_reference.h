// The command line's own table, the parser every command filled in with its
// options and help, as other programs read it: a man page and the shell
// completions.  Both are made from the parser `--help` prints, so neither
// can drift from it.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace mfgtool {

struct OptionReference {
    std::vector<std::string> names;  // "--cdrom", "-o"
    std::string value;               // "FILE" for an option that takes one, "" for a flag
    std::string help;
};

struct CommandReference {
    std::string name;
    std::string summary;
    std::string footer;                    // the command's help after its options
    std::vector<std::string> positionals;  // "FOLDER"
    std::vector<OptionReference> options;  // --help left out
};

// The commands people use, in the parser's order; hidden ones left out.
std::vector<CommandReference> commandReference(const CLI::App& app);

// The page in the man(7) macros.  `exitStatus` is the statuses' text that
// the tool's own help ends with.
std::string manPage(const CLI::App& app, const std::string& version, const std::string& exitStatus);

// "bash", "zsh" or "fish"; "" for any other shell.
std::string completionScript(const CLI::App& app, const std::string& shell);

}  // namespace mfgtool
