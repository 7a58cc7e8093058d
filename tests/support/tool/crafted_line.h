// A line's run made by hand, for the reports made from it: models with the
// outcome, devices and problems a test needs, and entry rows with a position
// (or none) per model, without running the library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "line/line_runs.h"
#include "line/share_run.h"

namespace mfgtool::test {

struct CraftedModel {
    std::string name;
    std::size_t entries = 1;
    std::vector<IdDevice> uncovered = {};
    std::string outcome = kOutcomeWritten;
    std::vector<std::pair<int, std::string>> problems = {};
    std::vector<std::string> warnings = {};
    std::string displayName = "";
};

inline ModelRun craftedModel(const CraftedModel& crafted) {
    ModelRun run;
    run.model.name = crafted.name;
    run.model.file = crafted.name + ".ids";
    run.displayName = crafted.displayName.empty() ? crafted.name : crafted.displayName;
    run.windows = "xp";
    run.kind = "driver";
    run.outcome = crafted.outcome;
    run.entryCount = crafted.entries;
    run.listWritten = crafted.outcome != kOutcomeNoList && crafted.outcome != kOutcomeFailed;
    if (!run.listWritten) run.noList = "crafted: no list";
    run.idsMatched = true;
    run.uncoveredDevices = crafted.uncovered;
    for (const IdDevice& device : crafted.uncovered)
        run.uncoveredIds.insert(run.uncoveredIds.end(), device.ids.begin(), device.ids.end());
    run.devices = crafted.uncovered.size() + 3;
    run.entryProblems = crafted.problems;
    run.warnings = crafted.warnings;
    return run;
}

// A row of DrvProc.ini: listed where `positions` holds one, else passed
// over for want of a device (a candidate, dead when no model lists it).
inline LineRow craftedRow(const std::string& section, std::uint64_t line, const std::string& hardId,
                          const std::vector<std::optional<int>>& positions) {
    LineRow row;
    row.file = "DrvProc.ini";
    row.section = section;
    row.fileLine = line;
    row.id = row.file + ":" + std::to_string(line) + ":" + section;
    row.name = section;
    row.type = "DRV";
    row.hardId = hardId;
    row.positions = positions;
    for (const std::optional<int>& position : positions) {
        row.reasons.push_back(position ? "listed at " + std::to_string(*position) : "left out");
        row.outcomes.push_back(position ? SectionOutcome::listed : SectionOutcome::noDevice);
        row.others.emplace_back();
    }
    return row;
}

inline LineRun craftedLine(const std::vector<CraftedModel>& models, std::vector<LineRow> rows) {
    LineRun line;
    line.folder = "/media";
    for (const CraftedModel& model : models) line.models.push_back(craftedModel(model));
    line.rows = std::move(rows);
    return line;
}

}  // namespace mfgtool::test
