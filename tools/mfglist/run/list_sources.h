// Where each entry of a list came from: the section, its process file and
// line, as the library's own core decided it.  The list a loaded library
// wrote carries no such thing, so the same plan is run again through the
// core linked into this program with an observer of the listed sections
// attached, and their places are given to the loaded library's entries only
// when the two runs wrote the same list, byte for byte.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "explain_journal.h"
#include "plan.h"
#include "scratch_run.h"
#include "shown_place.h"

namespace mfgtool {

// The plan's run made by the in-process core with `journal` told every
// decision: explain's run, and preview's second one.
LibraryRun runObserved(const Plan& plan, ExplainJournal& journal);

struct ListSources {
    // One per list section the core wrote, in install order; empty when the
    // sources are left out (`note` says why).
    std::vector<std::optional<ShownPlace>> places;
    std::optional<std::string> note;
};

// The sources of `loaded`'s entries, from its list's bytes (it need not be
// parsed yet); a run without a list needs none.
ListSources listSources(const Plan& plan, const LibraryRun& loaded);

}  // namespace mfgtool
