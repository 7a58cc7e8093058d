// The check that an ID file given to a preview can match the previewed
// process files at all: a model captured in a form whose IDs have none of
// the lengths of the files' HARDIDs lists no driver, however right the
// process files are.
#pragma once

#include <optional>
#include <string>

#include "common/run_options.h"
#include "plan.h"

namespace mfgtool {

// The warning for the --ids-file of `options`, or nullopt when its header
// names no form, the form can match, or the run is not a driver list.
std::optional<std::string> idFileFormWarning(const RunOptions& options, const Plan& plan);

}  // namespace mfgtool
