// The tool's commands.  Each file of this folder adds one command to the
// parser, with its options and its help, and gives main() the run to make
// when the command line names it.
#pragma once

#include <CLI/CLI.hpp>

#include "common/options.h"

namespace mfgtool {

Command addPreviewCommand(CLI::App& app);
Command addExplainCommand(CLI::App& app);
Command addHostCommand(CLI::App& app);
Command addDiffCommand(CLI::App& app);
// The rules by category in its help.
Command addLintCommand(CLI::App& app);
Command addIdsCommand(CLI::App& app);
Command addMatrixCommand(CLI::App& app);
Command addImpactCommand(CLI::App& app);
// The shell completions, and the hidden command the build writes the man
// page with.
Command addCompletionsCommand(CLI::App& app);
Command addManPageCommand(CLI::App& app);
// The hidden command that matrix and impact start for each model.
Command addModelWorkerCommand(CLI::App& app);

}  // namespace mfgtool
