// What `explain` shows of a run made with the core's observer attached (and
// what `matrix` and `impact` tell of each section): the fate of each section
// walked, the host IDs that matched nothing, the group settings and where
// each came from.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "json_contract.h"
#include "report.h"
#include "run/explain_journal.h"

namespace mfgtool {

// The report of an explained run, as text or as the JSON of the contract.
void printExplainText(const ReportContext& context, const ExplainJournal& journal,
                      std::ostream& out);
Json explainJson(const ReportContext& context, const ExplainJournal& journal,
                 const std::string& status, int exitStatus);

}  // namespace mfgtool
