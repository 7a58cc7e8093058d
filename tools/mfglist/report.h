// The report of a preview: the run and its list as a person reads it (a
// table that fits the width it is given), or as the JSON of the contract.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "commands.h"
#include "json_contract.h"
#include "plan.h"
#include "scratch_run.h"

namespace mfgtool {

struct ReportContext {
    const Plan& plan;
    const LibraryRun& run;
    std::string libraryFile;
    bool showTrace = false;
};

// `width` in terminal columns; 0 = no limit.
void printPreviewText(const ReportContext& context, std::size_t width, std::ostream& out);

// `status` is "ok", "empty" or "no-list".
Json previewJson(const ReportContext& context, const std::string& status, int exitStatus);

}  // namespace mfgtool
