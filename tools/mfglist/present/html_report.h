// The HTML reports of `mfglist matrix --html` and `mfglist impact --html`:
// one self-contained page each, made from the command's JSON document (see
// docs/json-output.md), so that the page shows exactly what --json says.
// The table is complete without a script; the page's script only adds
// sorting, filtering and the panel that shows a cell's reason.
#pragma once

#include <string>

#include "impact_model.h"
#include "json_contract.h"
#include "line_report.h"

namespace mfgtool {

// Models as columns, entries as rows, a cell the entry's position in that
// model's list linked to the reason; dead entries, uncovered IDs and a
// summary per model.  The script reads its starting state from the address's
// fragment: #sort=KEY (or -KEY for descending; KEY one of section, place,
// name, type, hardid, model:NAME), &filter=TEXT, &dead=1, &uncovered=0.
std::string renderMatrixHtml(const LineReport& report);

// The totals and the summary table, the view by change linked to the
// models, one section per model that changes or needs a look (what is
// added, removed, moved, changed) linked back to its changes, and the
// unchanged models folded away.  A link to `#model-N` (N the model's place
// in the catalogue) or `#change-N` works from outside too.
std::string renderImpactHtml(const ImpactReport& report);

}  // namespace mfgtool
