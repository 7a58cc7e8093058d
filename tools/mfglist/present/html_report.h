// The HTML reports of `mfglist matrix --html` and `mfglist impact --html`:
// one self-contained page each, made from the command's JSON document (see
// docs/json-output.md), so that the page shows exactly what --json says.
// The table is complete without a script; the page's script only adds
// sorting, filtering and the panel that shows a cell's reason.
#pragma once

#include <string>

#include "json_contract.h"
#include "line_report.h"

namespace mfgtool {

// Models as columns, entries as rows, a cell the entry's position in that
// model's list linked to the reason; dead entries, uncovered IDs and a
// summary per model.  The script reads its starting state from the address's
// fragment: #sort=KEY (or -KEY for descending; KEY one of section, place,
// name, type, hardid, model:NAME), &filter=TEXT, &dead=1, &uncovered=0.
std::string renderMatrixHtml(const LineReport& report);

// The summary line, then one section per changed model (what is added,
// removed, moved, changed) and the unchanged models folded away.
std::string renderImpactHtml(const Json& impact);

}  // namespace mfgtool
