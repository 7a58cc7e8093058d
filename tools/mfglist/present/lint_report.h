// How `mfglist lint` shows its findings: lines that editors and CI read
// (FILE:LINE:COLUMN: severity: message [rule]), the tool's JSON, or SARIF
// 2.1.0 for code-scanning services.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lint/lint_folder.h"
#include "present/json_contract.h"

namespace mfgtool {

struct LintRun {
    const lint::LintOptions* options = nullptr;
    bool strict = false;
    int exitStatus = 0;
    std::optional<std::string> baseline;  // the baseline file, when one was given
    std::size_t known = 0;                // findings it named, left out
};

// The findings' messages are in the code page; these are UTF-8.
std::string lintText(const lint::LintResult& result, const LintRun& run);
Json lintJson(const lint::LintResult& result, const LintRun& run);
Json lintSarif(const lint::LintResult& result, const LintRun& run);
// GitLab's code quality report: an array of issues.
Json lintCodeClimate(const lint::LintResult& result, const LintRun& run);

}  // namespace mfgtool
