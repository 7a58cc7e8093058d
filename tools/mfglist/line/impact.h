// Each model's two lists compared, the line run over OLD against the run
// over NEW, as `diff` compares two lists.
#pragma once

#include <cstddef>
#include <vector>

#include "line_runs.h"
#include "list/compared_list.h"

namespace mfgtool {

struct ModelImpact {
    const ModelRun* before = nullptr;
    const ModelRun* after = nullptr;
    ComparedList oldList, newList;
    ListDiff diff;
    bool changed = false;
};

struct LineImpact {
    std::vector<ModelImpact> models;  // in the catalogue's order
    std::size_t changed = 0;          // models whose list changes
};

// `before` and `after` ran the same catalogue; both must outlive the result.
LineImpact compareLineRuns(const LineRun& before, const LineRun& after);

}  // namespace mfgtool
