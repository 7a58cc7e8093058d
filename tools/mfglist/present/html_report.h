// The HTML reports of `mfglist matrix --html` and `mfglist impact --html`:
// one self-contained page each.  The matrix page is made from the line's
// report (line_report.h), as its text and JSON are, so the three agree; the
// impact page from impact's JSON document (see docs/json-output.md).
#pragma once

#include <string>

#include "impact_model.h"
#include "json_contract.h"
#include "line_report.h"

namespace mfgtool {

// The line's totals and one summary row per model (those needing attention
// first), then the grid: entries as rows in one compact column, models as
// columns, a cell the entry's position in that model's list; then the
// devices no entry claims and each model's detail.  The summary and the grid
// read and print without the script; the script adds the entries' detail,
// the models-as-rows view, identical lists grouped, sorting, the word filter
// and the panel with a cell's reason (each reason text is in the page once).
// Its state is kept in the address's fragment: #sort=KEY (or -KEY for
// descending; KEY one of section, place, name, type, hardid, model:NAME),
// &filter=WORDS, &view=grid|models, &group=1, &details=1, &dead=1,
// &uncovered=0.
std::string renderMatrixHtml(const LineReport& report);

// The totals and the summary table, the view by change linked to the
// models, one section per model that changes or needs a look (what is
// added, removed, moved, changed) linked back to its changes, and the
// unchanged models folded away.  A link to `#model-N` (N the model's place
// in the catalogue) or `#change-N` works from outside too.
std::string renderImpactHtml(const ImpactReport& report);

}  // namespace mfgtool
