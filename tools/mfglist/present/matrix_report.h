// What matrix shows of a line's run: the JSON of the contract (which the
// HTML page is made from) and the text for a terminal, the models that do
// not fit beside the entries in further blocks.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "common/json.h"
#include "line/line_runs.h"

namespace mfgtool {

// The "run" member of matrix and impact: mode, kind, group, windows, folder.
Json lineRunJson(const LineOptions& options, const std::string& folder);

// `status` is "ok" or "gaps".
Json matrixJson(const LineOptions& options, const LineRun& line, const std::string& status,
                int exitStatus);

// `width` in terminal columns; 0 = no limit.
void printMatrixText(const LineOptions& options, const LineRun& line, std::size_t width,
                     std::ostream& out);

}  // namespace mfgtool
