// What matrix shows of a line's run, both rendered from its report
// (line_report.h): the JSON of the contract, and the text for a terminal,
// the answer first (the line's totals and a row per model) and the grid of
// entries by models below it, the models that do not fit beside the
// entries in further blocks.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "common/json.h"
#include "line/line_runs.h"
#include "line_report.h"

namespace mfgtool {

// The "run" member of matrix and impact: mode, kind, group, windows, folder.
Json lineRunJson(const LineOptions& options, const std::string& folder);

// The document of `matrix --json`, as jsonText(..., 2) writes one.
std::string matrixJsonText(const LineReport& report);

// `width` in terminal columns; 0 = no limit.  `summaryOnly`: the totals and
// the row per model, nothing else (what a CI log wants).
void printMatrixText(const LineReport& report, std::size_t width, bool summaryOnly,
                     std::ostream& out);

}  // namespace mfgtool
