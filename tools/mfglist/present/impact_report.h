// What impact shows of the line's two runs compared, each rendered from the
// one report model (impact_model.h): the JSON of the contract, the text for
// a terminal and a pull-request comment in Markdown.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "common/json.h"
#include "impact_model.h"

namespace mfgtool {

Json impactJson(const ImpactReport& report);

// The totals and the summary table first; `summaryOnly` stops there (for a
// CI log), else the view by change and each changed model's detail follow.
void printImpactText(const ImpactReport& report, bool summaryOnly, std::ostream& out);
void printImpactMarkdown(const ImpactReport& report, std::ostream& out);

// The line's totals beyond the summary line: what the view by change holds
// and what the models come to.
std::vector<std::string> impactTotalsText(const ImpactTotals& totals);
// The same on one line, the parts joined by "; ".
std::string impactTotalsLine(const ImpactTotals& totals);

// A model's entry counts, old and new, and a list that is new or gone.
std::string impactEntriesText(const ModelImpactRow& row, const char* arrow);

// `text` as Markdown shows it literally: the characters of tables, emphasis,
// code, links and HTML escaped.
std::string escapeMarkdown(const std::string& text);

}  // namespace mfgtool
