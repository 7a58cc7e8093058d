#include "matrix_report.h"

#include <algorithm>

#include "common/text_encoding.h"
#include "json_contract.h"
#include "line/share_run.h"
#include "report.h"
#include "ids/id_devices.h"
#include "table.h"

namespace mfgtool {
namespace {

Json positionJson(const std::optional<int>& position) {
    return position ? Json(*position) : Json(nullptr);
}

// The entry columns, then one narrow column per model.  When the models do
// not fit beside the entries, they are split into blocks, each a table of
// its own that repeats the entry columns.
void printMatrixTable(const LineRun& line, std::size_t width, std::ostream& out) {
    const std::size_t limit = width ? width : static_cast<std::size_t>(-1);
    std::vector<TableColumn> entryColumns = {
        {"", false, false}, {"SECTION", false, true, false, 12}, {"FILE:LINE", false, false},
        {"NAME", false, true, false, 16}, {"TYPE", false, true, false, 8},
        {"HARDID", false, false}};  // an ID cut short names another device
    std::vector<std::vector<std::string>> entryCells;
    std::vector<const LineRow*> shown;
    for (const LineRow& row : line.rows)
        if (row.candidate()) shown.push_back(&row);
    for (const LineRow* row : shown)
        entryCells.push_back({row->dead() ? "*" : "", row->section,
                              row->file + ":" + std::to_string(row->line), row->name, row->type,
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
        const std::size_t blocks = (line.models.size() + perBlock - 1) / std::max<std::size_t>(perBlock, 1);
        perBlock = (line.models.size() + blocks - 1) / std::max<std::size_t>(blocks, 1);
    }
    for (std::size_t first = 0; first < line.models.size();) {
        const std::size_t last = std::min(first + std::max<std::size_t>(perBlock, 1), line.models.size());
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
        if (run.outcomeStatus != 0) text += " (preview's status " + std::to_string(run.outcomeStatus) + ")";
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

Json matrixJson(const LineOptions& options, const LineRun& line, const std::string& status,
                int exitStatus) {
    Json json = jsonDocument("matrix", status, exitStatus);
    json["run"] = lineRunJson(options, options.folder);
    Json models = Json::array();
    std::size_t uncovered = 0, uncoveredDevices = 0, entryProblems = 0;
    for (const ModelRun& run : line.models) {
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
        model["uncovered_devices"] = devicesJson(run.uncoveredDevices);
        model["uncovered_ids"] = run.uncoveredIds;
        model["warnings"] = run.warnings;
        Json problems = Json::array();
        for (const auto& [position, why] : run.entryProblems)
            problems.push_back({{"position", position}, {"problem", why}});
        model["entry_problems"] = problems;
        entryProblems += run.entryProblems.size();
        uncovered += run.uncoveredIds.size();
        uncoveredDevices += run.uncoveredDevices.size();
        models.push_back(model);
    }
    json["models"] = models;
    Json entries = Json::array();
    Json dead = Json::array();
    Json notCandidates = Json::array();
    for (const LineRow& row : line.rows) {
        if (!row.candidate()) {
            const EntryVerdict verdict = row.verdict();
            notCandidates.push_back({{"id", row.id}, {"file", row.file}, {"section", row.section},
                                     {"line", row.line}, {"name", row.name}, {"type", row.type},
                                     {"hardid", row.hardId}, {"reason", verdict.reason},
                                     {"text", verdict.text}});
            continue;
        }
        Json entry = Json::object();
        entry["id"] = row.id;
        entry["file"] = row.file;
        entry["section"] = row.section;
        entry["line"] = row.line;
        entry["name"] = row.name;
        entry["type"] = row.type;
        entry["hardid"] = row.hardId;
        entry["dead"] = row.dead();
        entry["dead_reason"] = nullptr;
        if (row.dead()) {
            const EntryVerdict verdict = row.verdict();
            entry["dead_reason"] = {{"reason", verdict.reason}, {"by", verdict.by}, {"text", verdict.text}};
        }
        Json cells = Json::array();
        for (std::size_t m = 0; m < line.models.size(); ++m) {
            const std::string* problem = row.positions[m] ? line.models[m].problemAt(*row.positions[m]) : nullptr;
            cells.push_back({{"position", positionJson(row.positions[m])},
                             {"reason", row.reasons[m]},
                             {"problem", problem ? Json(*problem) : Json(nullptr)}});
        }
        entry["cells"] = cells;
        entries.push_back(entry);
        if (row.dead()) dead.push_back(row.id);
    }
    json["entries"] = entries;
    json["dead_entries"] = dead;
    json["not_candidates"] = notCandidates;
    json["uncovered"] = uncovered;
    json["uncovered_devices"] = uncoveredDevices;
    json["entry_problems"] = entryProblems;
    return json;
}

void printMatrixText(const LineOptions& options, const LineRun& line, std::size_t width,
                     std::ostream& out) {
    out << "Matrix: " << line.models.size() << " models of " << options.models << " over "
        << options.folder << " (" << (options.cdrom ? "CD-ROM mode" : "process-file mode") << ", "
        << options.kind << " list of group " << options.group.value_or("PRELOAD") << ")\n";
    out << "A cell is the entry's install position in the model's list; * marks an entry no "
           "model gets (dead).\n\n";
    printMatrixTable(line, width, out);

    out << "\nDead entries (no model gets them):";
    std::size_t dead = 0;
    for (const LineRow& row : line.rows)
        if (row.dead()) {
            out << (dead++ ? "" : "\n") << "  " << row.file << ":" << row.line << " [" << row.section
                << "]  " << row.name << "\n      " << row.verdict().text << '\n';
        }
    if (!dead) out << " none\n";
    // Shown apart, never as dead: nothing is wrong with them.
    bool anyOther = false;
    for (const LineRow& row : line.rows)
        if (!row.candidate()) {
            if (!anyOther) out << "\nNot for this list (never dead):\n";
            anyOther = true;
            out << "  " << row.file << ":" << row.line << " [" << row.section << "]  " << row.name
                << "  (" << row.verdict().text << ")\n";
        }

    out << "\nModels:\n";
    std::vector<TableColumn> columns = {{"MODEL", false, true},   {"NAME", false, true},
                                        {"WINDOWS", false, false}, {"KIND", false, false},
                                        {"ENTRIES", true, false},  {"LIST", false, false},
                                        {"UNCOVERED DEVICES", false, true}};
    std::vector<std::vector<std::string>> rows;
    for (const ModelRun& run : line.models) {
        std::string uncovered = std::to_string(run.uncoveredDevices.size()) + " of " +
                                std::to_string(run.devices - run.ignoredDevices);
        if (!run.idsMatched) uncovered = "(the list matches no IDs)";
        if (run.outcome == kOutcomeFailed) uncovered = "(the run failed: no list to check)";
        rows.push_back({run.model.name, run.displayName, run.windows, run.kind,
                        std::to_string(run.entryCount), run.outcome, uncovered});
    }
    for (const std::string& text : renderTable(columns, rows, width ? width : static_cast<std::size_t>(-1)))
        out << text << '\n';
    bool anyOutcome = false;
    for (const ModelRun& run : line.models) {
        if (run.outcome == kOutcomeWritten) continue;
        if (!anyOutcome) out << "\nRuns without a whole list:\n";
        anyOutcome = true;
        out << "  " << run.model.name << ": " << outcomeText(run) << '\n';
    }
    bool anyUncovered = false;
    for (const ModelRun& run : line.models) {
        if (run.uncoveredDevices.empty()) continue;
        if (!anyUncovered) out << "\nUncovered devices (no listed entry claims any of their IDs):\n";
        anyUncovered = true;
        out << "  " << run.model.name << ":\n";
        printUncoveredDevices(run.uncoveredDevices, "    ", out);
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
