#include "matrix_report.h"

#include <algorithm>

#include "common/json_writer.h"
#include "common/text_encoding.h"
#include "ids/id_devices.h"
#include "json_contract.h"
#include "line/share_run.h"
#include "report.h"
#include "table.h"

namespace mfgtool {
namespace {

// The entry columns, then one narrow column per model.  When the models do
// not fit beside the entries, they are split into blocks, each a table of
// its own that repeats the entry columns.
void printMatrixTable(const LineRun& line, std::size_t width, std::ostream& out) {
    const std::size_t limit = width ? width : static_cast<std::size_t>(-1);
    std::vector<TableColumn> entryColumns = {
        {"", false, false},
        {"SECTION", false, true, false, 12},
        {"FILE:LINE", false, false},
        {"NAME", false, true, false, 16},
        {"TYPE", false, true, false, 8},
        {"HARDID", false, false}};  // an ID cut short names another device
    std::vector<std::vector<std::string>> entryCells;
    std::vector<const LineRow*> shown;
    for (const LineRow& row : line.rows)
        if (row.candidate()) shown.push_back(&row);
    for (const LineRow* row : shown)
        entryCells.push_back({row->dead() ? "*" : "", row->section,
                              row->file + ":" + std::to_string(row->fileLine), row->name, row->type,
                              row->hardId});
    // The entry part keeps at least half of a narrow terminal, and never
    // more than it needs.
    std::size_t entryWidth = 0;
    for (const std::string& text : renderTable(entryColumns, entryCells, limit))
        entryWidth = std::max(entryWidth, displayWidth(text));
    if (width) entryWidth = std::min(entryWidth, std::max<std::size_t>(width / 2, 48));
    // As many models as fit beside the entries, then blocks of even size.
    const auto need = [&](std::size_t m) {
        return std::max<std::size_t>(displayWidth(line.models[m].model.name), 3) + 2;
    };
    std::size_t perBlock = line.models.size();
    if (width) {
        std::size_t used = entryWidth;
        perBlock = 0;
        while (perBlock < line.models.size() && (perBlock == 0 || used + need(perBlock) <= width))
            used += need(perBlock++);
        const std::size_t blocks =
            (line.models.size() + perBlock - 1) / std::max<std::size_t>(perBlock, 1);
        perBlock = (line.models.size() + blocks - 1) / std::max<std::size_t>(blocks, 1);
    }
    for (std::size_t first = 0; first < line.models.size();) {
        const std::size_t last =
            std::min(first + std::max<std::size_t>(perBlock, 1), line.models.size());
        std::vector<TableColumn> columns = entryColumns;
        std::vector<std::vector<std::string>> rows = entryCells;
        for (std::size_t m = first; m < last; ++m) {
            columns.push_back({line.models[m].model.name, true, false});
            for (std::size_t r = 0; r < shown.size(); ++r) {
                const std::optional<int>& position = shown[r]->positions[m];
                rows[r].push_back(position ? std::to_string(*position) : "");
            }
        }
        if (first > 0) out << '\n';
        if (first > 0 || last < line.models.size())
            out << "Models " << first + 1 << "-" << last << " of " << line.models.size() << ":\n";
        for (const std::string& text : renderTable(columns, rows, limit)) out << text << '\n';
        first = last;
    }
}

// What a model's run came to, with the reason when it is not a list with
// entries.
std::string outcomeText(const ModelRun& run) {
    std::string text = run.outcome;
    if (run.outcome == kOutcomeMissingFiles) {
        text += ": the media lacks";
        for (const std::string& file : run.missingFiles) text += " " + file;
        text += " (preview's status " + std::to_string(run.outcomeStatus) + ")";
    } else if (run.noList) {
        text += ": " + *run.noList;
        if (run.outcomeStatus != 0)
            text += " (preview's status " + std::to_string(run.outcomeStatus) + ")";
    }
    return text;
}

}  // namespace

Json lineRunJson(const LineOptions& options, const std::string& folder) {
    Json run = Json::object();
    run["mode"] = options.cdrom ? "cdrom" : "process-file";
    run["kind"] = options.kind;
    run["group"] = options.group.value_or("PRELOAD");
    run["windows"] = options.windows ? Json(*options.windows) : Json(nullptr);
    run["folder"] = lineFolderName(folder);
    return run;
}

namespace {

Json totalsJson(const LineTotals& totals) {
    return {{"models", totals.models},
            {"models_needing_attention", totals.modelsNeedingAttention},
            {"failed_models", totals.failedModels},
            {"entries", totals.entries},
            {"dead_entries", totals.deadEntries},
            {"not_candidates", totals.notCandidates},
            {"uncovered_devices", totals.uncoveredDevices},
            {"uncovered_ids", totals.uncoveredIds},
            {"entry_problems", totals.entryProblems},
            {"warnings", totals.warnings}};
}

Json summaryJson(const LineReport& report) {
    Json summary = Json::array();
    for (const ModelSummary& row : report.summary) {
        const ModelRun& run = report.line->models[row.model];
        summary.push_back({{"model", run.model.name},
                           {"needs_attention", row.needsAttention()},
                           {"failed", row.failed},
                           {"outcome", run.outcome},
                           {"entries", row.entries},
                           {"checked_devices", row.checkedDevices},
                           {"uncovered_devices", row.uncoveredDevices},
                           {"entry_problems", row.entryProblems},
                           {"warnings", row.warnings}});
    }
    return summary;
}

Json identicalListsJson(const LineReport& report) {
    Json identical = Json::array();
    for (const std::vector<std::size_t>& group : report.identicalLists) {
        Json names = Json::array();
        for (const std::size_t m : group) names.push_back(report.line->models[m].model.name);
        identical.push_back(names);
    }
    return identical;
}

Json modelJson(const ModelRun& run, const std::vector<std::optional<std::string>>& deviceNames) {
    Json model = Json::object();
    model["name"] = run.model.name;
    model["display_name"] = run.displayName;
    model["file"] = run.model.file.filename().string();
    model["windows"] = run.windows;
    model["kind"] = run.kind;
    model["list_written"] = run.listWritten;
    model["entry_count"] = run.entryCount;
    model["no_list"] = run.noList ? Json(*run.noList) : Json(nullptr);
    model["outcome"] = run.outcome;
    model["outcome_status"] = run.outcomeStatus;
    model["missing_files"] = run.missingFiles;
    model["ids_matched"] = run.idsMatched;
    model["devices"] = run.devices;
    model["ignored_devices"] = run.ignoredDevices;
    model["uncovered_devices"] = devicesJson(run.uncoveredDevices, deviceNames);
    model["uncovered_ids"] = run.uncoveredIds;
    model["warnings"] = run.warnings;
    Json problems = Json::array();
    for (const auto& [position, why] : run.entryProblems)
        problems.push_back({{"position", position}, {"problem", why}});
    model["entry_problems"] = std::move(problems);
    return model;
}

// The members that name a row's section, first in an entry and in a
// section that is none.
void writeSectionMembers(const LineRow& row, JsonWriter& json) {
    json.member("id", row.id)
        .member("file", row.file)
        .member("section", row.section)
        .member("line", row.fileLine)
        .member("name", row.name)
        .member("type", row.type)
        .member("hardid", row.hardId);
}

// A section that is no entry of this list kind, and why.
void writeNotCandidate(const LineRow& row, JsonWriter& json) {
    const EntryVerdict verdict = row.verdict();
    json.beginObject();
    writeSectionMembers(row, json);
    json.member("reason", verdict.reason).member("text", verdict.text).endObject();
}

// An entry with its fate in every model.  Written straight into the text:
// a line of 160,000 sections holds as many entries, each with a cell per
// model.
void writeEntry(const LineRow& row, const LineReport& report, JsonWriter& json) {
    json.beginObject();
    writeSectionMembers(row, json);
    if (const auto named = report.idNames.find(row.hardId); named != report.idNames.end())
        json.member("hardid_name", named->second);
    json.member("dead", row.dead()).key("dead_reason");
    if (row.dead()) {
        const EntryVerdict verdict = row.verdict();
        json.beginObject()
            .member("reason", verdict.reason)
            .member("by", verdict.by)
            .member("text", verdict.text)
            .endObject();
    } else {
        json.value(nullptr);
    }
    json.key("cells").beginArray();
    for (std::size_t m = 0; m < report.line->models.size(); ++m) {
        const std::string* problem =
            row.positions[m] ? report.entryProblem(m, *row.positions[m]) : nullptr;
        json.beginObject().member("position", row.positions[m]).member("reason", row.reasons[m]);
        json.key("problem");
        if (problem)
            json.value(*problem);
        else
            json.value(nullptr);
        json.endObject();
    }
    json.endArray().endObject();
}

}  // namespace

std::string matrixJsonText(const LineReport& report) {
    const LineOptions& options = *report.options;
    const LineRun& line = *report.line;
    const LineTotals& totals = report.totals;
    JsonWriter json(2);
    json.beginObject().members(jsonDocument("matrix", report.status, report.exitStatus));
    json.member("run", lineRunJson(options, options.folder))
        .member("totals", totalsJson(totals))
        .member("summary", summaryJson(report))
        .member("identical_lists", identicalListsJson(report));
    json.key("models").beginArray();
    for (std::size_t m = 0; m < line.models.size(); ++m)
        json.value(modelJson(line.models[m], report.deviceNames[m]));
    json.endArray();
    json.key("entries").beginArray();
    for (const LineRow& row : line.rows)
        if (row.candidate()) writeEntry(row, report, json);
    json.endArray();
    json.key("dead_entries").beginArray();
    for (const LineRow& row : line.rows)
        if (row.candidate() && row.dead()) json.value(row.id);
    json.endArray();
    json.key("not_candidates").beginArray();
    for (const LineRow& row : line.rows)
        if (!row.candidate()) writeNotCandidate(row, json);
    json.endArray();
    json.member("uncovered", totals.uncoveredIds)
        .member("uncovered_devices", totals.uncoveredDevices)
        .member("entry_problems", totals.entryProblems)
        .endObject();
    return json.take();
}

namespace {

std::string countOf(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The line's totals, three short lines a person reads from across the room.
void printTotals(const LineTotals& totals, std::ostream& out) {
    out << "Models:  " << totals.models << ", " << totals.modelsNeedingAttention
        << " need attention (" << totals.failedModels << " failed)\n";
    out << "Entries: " << totals.entries << " for this list, " << totals.deadEntries
        << " dead (no model gets it), " << totals.notCandidates << " not for this list\n";
    out << "Gaps:    " << countOf(totals.uncoveredDevices, "uncovered device", "uncovered devices")
        << " (" << countOf(totals.uncoveredIds, "ID", "IDs") << "), "
        << countOf(totals.entryProblems, "listed entry", "listed entries")
        << " with nothing to run, " << countOf(totals.warnings, "warning", "warnings") << '\n';
}

// One row per model in the report's order, those a person must look at
// first and marked with "!".
void printSummaryTable(const LineReport& report, std::size_t width, std::ostream& out) {
    const std::vector<TableColumn> columns = {
        {"", false, false},         {"MODEL", false, false},  // a name cut short names no model
        {"WINDOWS", false, false},  {"ENTRIES", true, false},
        {"UNCOVERED", true, false}, {"NOTHING TO RUN", true, false},
        {"WARNINGS", true, false},  {"OUTCOME", false, true, false, 20}};
    std::vector<std::vector<std::string>> rows;
    bool unchecked = false;
    for (const ModelSummary& row : report.summary) {
        const ModelRun& run = report.line->models[row.model];
        std::string uncovered =
            std::to_string(row.uncoveredDevices) + " of " + std::to_string(row.checkedDevices);
        if (row.failed || !run.idsMatched) {
            uncovered = "-";
            unchecked = true;
        }
        rows.push_back({row.needsAttention() ? "!" : "", run.model.name, run.windows,
                        std::to_string(row.entries), uncovered, std::to_string(row.entryProblems),
                        std::to_string(row.warnings), outcomeText(run)});
    }
    for (const std::string& text :
         renderTable(columns, rows, width ? width : static_cast<std::size_t>(-1)))
        out << text << '\n';
    out << "! needs attention; UNCOVERED counts devices of the model's ID file no listed entry "
           "claims";
    if (unchecked) out << " (- : the run gave no list to check, or the list matches no IDs)";
    out << '\n';
}

}  // namespace

void printMatrixText(const LineReport& report, std::size_t width, bool summaryOnly,
                     std::ostream& out) {
    const LineOptions& options = *report.options;
    const LineRun& line = *report.line;
    out << "Matrix: " << line.models.size() << " models of " << options.models << " over "
        << options.folder << " (" << (options.cdrom ? "CD-ROM mode" : "process-file mode") << ", "
        << options.kind << " list of group " << options.group.value_or("PRELOAD") << ")\n\n";
    printTotals(report.totals, out);
    out << '\n';
    printSummaryTable(report, width, out);
    if (summaryOnly) return;

    out << "\nA cell is the entry's install position in the model's list; * marks an entry no "
           "model gets (dead).\n\n";
    printMatrixTable(line, width, out);

    out << "\nDead entries (no model gets them):";
    std::size_t dead = 0;
    for (const LineRow& row : line.rows)
        if (row.dead()) {
            out << (dead++ ? "" : "\n") << "  " << row.file << ":" << row.fileLine << " ["
                << row.section << "]  " << row.name << "\n      " << row.verdict().text << '\n';
        }
    if (!dead) out << " none\n";
    // Shown apart, never as dead: nothing is wrong with them.
    bool anyOther = false;
    for (const LineRow& row : line.rows)
        if (!row.candidate()) {
            if (!anyOther) out << "\nNot for this list (never dead):\n";
            anyOther = true;
            out << "  " << row.file << ":" << row.fileLine << " [" << row.section << "]  "
                << row.name << "  (" << row.verdict().text << ")\n";
        }

    bool anyOutcome = false;
    for (const ModelRun& run : line.models) {
        if (run.outcome == kOutcomeWritten) continue;
        if (!anyOutcome) out << "\nRuns without a whole list:\n";
        anyOutcome = true;
        out << "  " << run.model.name << ": " << outcomeText(run) << '\n';
    }
    bool anyUncovered = false;
    for (std::size_t m = 0; m < line.models.size(); ++m) {
        const ModelRun& run = line.models[m];
        if (run.uncoveredDevices.empty()) continue;
        if (!anyUncovered)
            out << "\nUncovered devices (no listed entry claims any of their IDs):\n";
        anyUncovered = true;
        out << "  " << run.model.name << ":\n";
        printUncoveredDevices(run.uncoveredDevices, "    ", out, report.deviceNames[m]);
    }
    bool anyProblem = false;
    for (const ModelRun& run : line.models)
        for (const auto& [position, why] : run.entryProblems) {
            if (!anyProblem) out << "\nListed entries a host cannot run as the list names them:\n";
            anyProblem = true;
            out << "  " << run.model.name << " #" << position << ": " << why << '\n';
        }
    bool anyWarning = false;
    for (const ModelRun& run : line.models)
        for (const std::string& warning : run.warnings) {
            if (!anyWarning) out << "\nWarnings:\n";
            anyWarning = true;
            out << "  " << run.model.name << ": " << warning << '\n';
        }
}

}  // namespace mfgtool
