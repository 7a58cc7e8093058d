// `mfglist lint`: checks a folder's process files with lint/ and shows the
// findings (lint_report.h), less those a baseline knows (lint_baseline.h).
#pragma once

#include <CLI/CLI.hpp>

#include "common/options.h"

namespace mfgtool {

// Adds the lint command, its options and its help (the rules by category).
Command addLintCommand(CLI::App& app);

}  // namespace mfgtool
