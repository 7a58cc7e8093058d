// Known findings for CI: a baseline file holds the findings a project has
// accepted, each by its identity (rule, file, section and key, not the
// line), so that lines added above them do not make them new.  SARIF's
// partialFingerprints carry the same identity.
#pragma once

#include <string>
#include <vector>

#include "common/json.h"
#include "lint/lint_folder.h"

namespace mfgtool {

// One identity per finding, in order, in UTF-8: "rule|file|[section]|key",
// the file by its name in the linted folder, with "#2", "#3", ... for the
// second and later finding of one identity.
std::vector<std::string> findingIdentities(const std::vector<lint::Finding>& findings,
                                           unsigned codePage);

// A short stable hash of an identity, as SARIF's partialFingerprints hold it.
std::string identityFingerprint(const std::string& identity);

// The baseline file's JSON for these findings.
Json baselineJson(const lint::LintResult& result, unsigned codePage);

// Removes from `result` the findings the baseline file names; returns how
// many were removed.  Throws UsageError for a file that is not a baseline.
std::size_t dropKnownFindings(lint::LintResult& result, const std::string& baselineFile,
                              unsigned codePage);

}  // namespace mfgtool
