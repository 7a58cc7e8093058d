#include "impact_report.h"

#include <functional>

#include "html_page.h"
#include "ids/id_devices.h"
#include "json_contract.h"
#include "matrix_report.h"
#include "report.h"
#include "table.h"

namespace mfgtool {
namespace {

Json optionalText(const std::optional<std::string>& text) {
    return text ? Json(*text) : Json(nullptr);
}

Json entryJson(const ImpactEntry& entry) {
    return {{"position", entry.position},
            {"section", entry.section},
            {"name", entry.name},
            {"hardid", entry.hardId}};
}

Json keyJson(const KeyChange& key) {
    return {{"key", key.key}, {"old", optionalText(key.before)}, {"new", optionalText(key.after)}};
}

Json modelNames(const ImpactReport& report, const std::vector<std::size_t>& indexes) {
    Json names = Json::array();
    for (const std::size_t m : indexes) names.push_back(report.models[m].name);
    return names;
}

Json changeJson(const SectionChange& change, const ImpactReport& report) {
    Json json = {{"kind", sectionChangeKind(change.kind)},
                 {"section", change.section},
                 {"name", change.name},
                 {"downgrade", change.downgrade},
                 {"models", modelNames(report, change.models)}};
    if (change.kind == SectionChange::Kind::changed || change.kind == SectionChange::Kind::unseen) {
        json["key"] = change.key;
        json["old"] = optionalText(change.before);
        json["new"] = optionalText(change.after);
    }
    if (!change.replaces.empty()) {
        json["replaces"] = change.replaces;
        json["old_version"] = optionalText(change.replacedVersion);
        json["new_version"] = optionalText(change.version);
    }
    return json;
}

Json lifeJson(const EntryLifeChange& life, const ImpactReport& report) {
    Json json = {{"id", life.row->id},         {"file", life.row->file},
                 {"line", life.row->fileLine}, {"section", life.row->section},
                 {"name", life.row->name},     {"models", modelNames(report, life.models)}};
    if (life.nowDead) json["new"] = life.isNew;
    return json;
}

Json modelJson(const ModelImpactRow& row) {
    Json model = Json::object();
    model["name"] = row.name;
    model["display_name"] = row.displayName;
    model["changed"] = row.changed;
    model["old_list_written"] = row.oldListWritten;
    model["new_list_written"] = row.newListWritten;
    model["old_entry_count"] = row.oldEntries;
    model["new_entry_count"] = row.newEntries;
    Json added = Json::array(), removed = Json::array(), moved = Json::array(),
         fields = Json::array(), system = Json::array(), problems = Json::array();
    for (const ImpactEntry& entry : row.added) {
        Json json = entryJson(entry);
        json["replaces"] = optionalText(entry.replaces);
        json["downgrade"] = entry.downgrade;
        added.push_back(json);
    }
    for (const ImpactEntry& entry : row.removed) removed.push_back(entryJson(entry));
    for (const ImpactMove& move : row.moved)
        moved.push_back(
            {{"section", move.section}, {"name", move.name}, {"from", move.from}, {"to", move.to}});
    for (const ImpactField& field : row.fields) {
        Json json = {
            {"section", field.section}, {"name", field.name}, {"position", field.position}};
        json.update(keyJson(field.change));
        json["downgrade"] = field.downgrade;
        fields.push_back(json);
    }
    for (const KeyChange& key : row.system) system.push_back(keyJson(key));
    for (const auto& [position, why] : row.entryProblems())
        problems.push_back({{"position", position}, {"problem", why}});
    model["added"] = added;
    model["removed"] = removed;
    model["moved"] = moved;
    model["changed_fields"] = fields;
    model["system"] = system;
    model["now_dead"] = row.nowDead;
    model["live_again"] = row.liveAgain;
    model["lost_drivers"] = devicesJson(row.lostDrivers(), row.lostNames);
    model["gained_drivers"] = devicesJson(row.gainedDrivers(), row.gainedNames);
    model["entry_problems"] = problems;
    return model;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

std::vector<std::string> namesOf(const ImpactReport& report,
                                 const std::vector<std::size_t>& models) {
    std::vector<std::string> names;
    for (const std::size_t m : models) names.push_back(report.models[m].name);
    return names;
}

std::string modelsText(const ImpactReport& report, const std::vector<std::size_t>& models) {
    if (models.empty()) return "no model's list shows it";
    return std::to_string(models.size()) + (models.size() == 1 ? " model: " : " models: ") +
           joined(namesOf(report, models));
}

const char* changeMark(SectionChange::Kind kind) {
    switch (kind) {
        case SectionChange::Kind::added:
            return "+";
        case SectionChange::Kind::removed:
            return "-";
        case SectionChange::Kind::moved:
            return "~";
        case SectionChange::Kind::unseen:
            return "?";
        case SectionChange::Kind::changed:
            break;
    }
    return "*";
}

std::string entryText(const std::string& section, const std::string& name) {
    return name + " [" + section + "]";
}

}  // namespace

std::string impactEntriesText(const ModelImpactRow& row, const char* arrow) {
    std::string text = std::to_string(row.oldEntries) + arrow + std::to_string(row.newEntries);
    if (row.oldListWritten != row.newListWritten)
        text += row.newListWritten ? " (new list)" : " (no list)";
    return text;
}

std::vector<std::string> impactTotalsText(const ImpactTotals& totals) {
    const auto n = [](std::size_t value) { return std::to_string(value); };
    return {"section changes: " + n(totals.sectionChanges) +
                " (VERSION going down: " + n(totals.downgrades) + ")",
            "entries now dead: " + n(totals.nowDead) + ", live again: " + n(totals.liveAgain),
            "devices losing their driver: " + n(totals.lostDrivers) +
                ", gaining one: " + n(totals.gainedDrivers),
            "listed entries a host cannot run: " + n(totals.entryProblems)};
}

std::string impactTotalsLine(const ImpactTotals& totals) {
    std::string line;
    for (const std::string& part : impactTotalsText(totals))
        line += (line.empty() ? "" : "; ") + part;
    return line + ".";
}

namespace {

std::string unchangedText(const ImpactReport& report) {
    const std::size_t count = report.unchanged.size();
    return std::to_string(count) + (count == 1 ? " model" : " models") +
           " unchanged: " + joined(namesOf(report, report.unchanged));
}

void printSummaryTable(const ImpactReport& report, std::ostream& out) {
    std::vector<TableColumn> columns = {{"MODEL", false, true}, {"NAME", false, true}, {"ENTRIES"}};
    for (const ImpactFigure& figure : impactFigures())
        columns.push_back({figure.shortHeading, true});
    std::vector<std::vector<std::string>> rows;
    for (const std::size_t m : report.summary) {
        const ModelImpactRow& row = report.models[m];
        std::vector<std::string> cells = {(row.needsAttention() ? "! " : "  ") + row.name,
                                          row.displayName, impactEntriesText(row, " -> ")};
        for (const ImpactFigure& figure : impactFigures())
            cells.push_back(std::to_string(figure.of(row)));
        rows.push_back(std::move(cells));
    }
    for (const std::string& line : renderTable(columns, rows, static_cast<std::size_t>(-1)))
        out << "  " << line << '\n';
}

// The entries no model gets any more, then those some model gets again,
// each under its heading, one line each as `lineOf` makes it.
void printLifeChanges(const ImpactReport& report, std::ostream& out,
                      const std::function<std::string(const EntryLifeChange&)>& lineOf) {
    for (const bool dead : {true, false}) {
        bool any = false;
        for (const EntryLifeChange& life : report.impact->lifeChanges) {
            if (life.nowDead != dead) continue;
            if (!any)
                out << (dead ? "\nEntries no model gets any more:\n"
                             : "\nEntries some model gets again:\n");
            any = true;
            out << lineOf(life) << '\n';
        }
    }
}

void printModelDetail(const ModelImpactRow& row, std::ostream& out) {
    out << '\n'
        << row.name << " (" << row.displayName << "): " << impactEntriesText(row, " -> ")
        << " entries\n";
    const auto entry = [](const auto& e) { return entryText(e.section, e.name); };
    for (const ImpactEntry& e : row.removed)
        out << "  - removed  #" << e.position << "  " << entry(e) << '\n';
    for (const ImpactEntry& e : row.added)
        out << "  + added    #" << e.position << "  " << entry(e)
            << (e.replaces ? "  in place of " + *e.replaces : "")
            << (e.downgrade ? "  VERSION GOES DOWN" : "") << '\n';
    for (const ImpactMove& e : row.moved)
        out << "  ~ moved    #" << e.from << " -> #" << e.to << "  " << entry(e) << '\n';
    for (const ImpactField& e : row.fields)
        out << "  * changed  #" << e.position << "  " << entry(e) << "  " << e.change.key << ": "
            << shownValue(e.change.before) << " -> " << shownValue(e.change.after)
            << (e.downgrade ? "  VERSION GOES DOWN" : "") << '\n';
    for (const KeyChange& e : row.system)
        out << "  * SYSTEM   " << e.key << ": " << shownValue(e.before) << " -> "
            << shownValue(e.after) << '\n';
    for (const std::string& id : row.nowDead) out << "  ! now dead   " << id << '\n';
    for (const std::string& id : row.liveAgain) out << "  ! live again " << id << '\n';
    if (!row.lostDrivers().empty()) {
        out << "  ! devices losing their driver:\n";
        printUncoveredDevices(row.lostDrivers(), "      ", out, row.lostNames);
    }
    if (!row.gainedDrivers().empty()) {
        out << "  devices gaining a driver:\n";
        printUncoveredDevices(row.gainedDrivers(), "      ", out, row.gainedNames);
    }
    for (const auto& [position, why] : row.entryProblems())
        out << "  ! cannot run #" << position << ": " << why << '\n';
}

}  // namespace

std::string escapeMarkdown(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '&':
                escaped += "&amp;";
                break;
            case '\\':
            case '`':
            case '*':
            case '_':
            case '[':
            case ']':
            case '|':
            case '~':
            case '#':
            case '!':
                escaped += '\\';
                escaped += c;
                break;
            case '\n':
            case '\r':
                escaped += ' ';
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

Json impactJson(const ImpactReport& report) {
    Json json = jsonDocument("impact", report.status, report.exitStatus);
    Json run = lineRunJson(*report.options, report.newFolder);
    run["old"] = report.oldName;
    run["new"] = run["folder"];
    json["run"] = run;
    const ImpactTotals& totals = report.totals;
    json["summary"] = {{"models", totals.models},
                       {"changed", totals.changed},
                       {"text", report.summaryText},
                       {"section_changes", totals.sectionChanges},
                       {"downgrades", totals.downgrades},
                       {"now_dead", totals.nowDead},
                       {"live_again", totals.liveAgain},
                       {"needing_attention", totals.needingAttention},
                       {"lost_drivers", totals.lostDrivers},
                       {"gained_drivers", totals.gainedDrivers},
                       {"entry_problems", totals.entryProblems}};
    Json models = Json::array();
    for (const ModelImpactRow& row : report.models) models.push_back(modelJson(row));
    json["models"] = models;
    Json changes = Json::array();
    for (const SectionChange& change : report.impact->changes)
        changes.push_back(changeJson(change, report));
    json["changes"] = changes;
    Json nowDead = Json::array(), liveAgain = Json::array();
    for (const EntryLifeChange& life : report.impact->lifeChanges)
        (life.nowDead ? nowDead : liveAgain).push_back(lifeJson(life, report));
    json["now_dead"] = nowDead;
    json["live_again"] = liveAgain;
    return json;
}

void printImpactText(const ImpactReport& report, bool summaryOnly, std::ostream& out) {
    out << "Impact on " << lineFolderName(report.newFolder) << " against " << report.oldName << ": "
        << report.summaryText << "\n";
    for (const std::string& part : impactTotalsText(report.totals)) out << "  " << part << '\n';
    if (!report.summary.empty()) {
        out << "\nSummary (! a device loses its driver or an entry cannot run):\n";
        printSummaryTable(report, out);
    }
    if (!report.unchanged.empty()) out << '\n' << unchangedText(report) << '\n';
    if (summaryOnly) return;

    if (!report.impact->changes.empty()) out << "\nBy change:\n";
    for (const SectionChange& change : report.impact->changes) {
        const std::string kind = sectionChangeKind(change.kind);
        const std::string detail = changeDetail(change);
        out << "  " << changeMark(change.kind) << ' ' << kind << std::string(9 - kind.size(), ' ')
            << change.section << " (" << change.name << ")" << (detail.empty() ? "" : "  " + detail)
            << "\n      " << modelsText(report, change.models) << '\n';
    }
    printLifeChanges(report, out, [&](const EntryLifeChange& life) {
        std::string line = "  " + life.row->file + ":" + std::to_string(life.row->fileLine) + " [" +
                           life.row->section + "]  " + life.row->name;
        if (life.nowDead && life.isNew)
            line += "  (a new section)";
        else if (!life.models.empty())
            line += (life.nowDead ? "  (listed before by " : "  (listed now by ") +
                    joined(namesOf(report, life.models)) + ")";
        return line;
    });
    if (!report.summary.empty()) out << "\nBy model:\n";
    for (const std::size_t m : report.summary) printModelDetail(report.models[m], out);
}

// A pull-request comment: the summary, the table of the models that change,
// the changes with the models that see them, and each model's changes
// folded.  Every name and value is escaped: a '|' or '<' in a NAME must not
// break the table or become markup.
void printImpactMarkdown(const ImpactReport& report, std::ostream& out) {
    const auto text = [](const std::string& value) { return escapeMarkdown(value); };
    out << "### mfglist impact: " << text(report.summaryText) << "\n\n";
    const LineOptions& options = *report.options;
    out << text(lineFolderName(report.newFolder)) << " against " << text(report.oldName) << ", "
        << (options.cdrom ? "cdrom" : "process-file") << " " << text(options.kind)
        << " lists of group " << text(options.group.value_or("PRELOAD")) << ".\n\n"
        << text(impactTotalsLine(report.totals)) << "\n";
    if (report.totals.changed == 0) out << "\nNo model's list changes.\n";
    if (!report.summary.empty()) {
        out << "\n| Model | Entries |";
        for (const ImpactFigure& figure : impactFigures()) out << ' ' << figure.heading << " |";
        out << "\n|---|---|";
        for (std::size_t i = 0; i < impactFigures().size(); ++i) out << "---|";
        out << '\n';
        for (const std::size_t m : report.summary) {
            const ModelImpactRow& row = report.models[m];
            out << "| " << (row.needsAttention() ? "**!** " : "") << text(row.displayName) << " ("
                << text(row.name) << ") | " << impactEntriesText(row, " → ") << " |";
            for (const ImpactFigure& figure : impactFigures()) out << ' ' << figure.of(row) << " |";
            out << '\n';
        }
    }
    if (!report.impact->changes.empty()) {
        out << "\n| Change | Section | Name | What | Models |\n|---|---|---|---|---|\n";
        for (const SectionChange& change : report.impact->changes)
            out << "| " << sectionChangeKind(change.kind) << " | " << text(change.section) << " | "
                << text(change.name) << " | " << escapeMarkdown(changeDetail(change, " → "))
                << " | "
                << (change.models.empty()
                        ? std::string("none")
                        : std::to_string(change.models.size()) + ": " +
                              escapeMarkdown(joined(namesOf(report, change.models))))
                << " |\n";
    }
    printLifeChanges(report, out, [&](const EntryLifeChange& life) {
        return "- " + text(life.row->file) + ":" + std::to_string(life.row->fileLine) + " " +
               text(life.row->section) + " (" + text(life.row->name) + ")";
    });
    const auto entry = [](const auto& e) { return escapeMarkdown(entryText(e.section, e.name)); };
    const auto value = [](const std::optional<std::string>& v) {
        return escapeMarkdown(shownValue(v));
    };
    for (const std::size_t m : report.summary) {
        const ModelImpactRow& row = report.models[m];
        // HTML, not Markdown, inside the summary.
        out << "\n<details><summary>" << escapeHtml(row.name) << "</summary>\n\n";
        for (const ImpactEntry& e : row.removed)
            out << "- removed #" << e.position << " " << entry(e) << "\n";
        for (const ImpactEntry& e : row.added)
            out << "- added #" << e.position << " " << entry(e)
                << (e.replaces ? " in place of " + text(*e.replaces) : "")
                << (e.downgrade ? " **VERSION goes down**" : "") << "\n";
        for (const ImpactMove& e : row.moved)
            out << "- moved #" << e.from << " → #" << e.to << " " << entry(e) << "\n";
        for (const ImpactField& e : row.fields)
            out << "- changed #" << e.position << " " << entry(e) << ": " << text(e.change.key)
                << " " << value(e.change.before) << " → " << value(e.change.after)
                << (e.downgrade ? " **VERSION goes down**" : "") << "\n";
        for (const KeyChange& e : row.system)
            out << "- SYSTEM " << text(e.key) << " " << value(e.before) << " → " << value(e.after)
                << "\n";
        for (std::size_t d = 0; d < row.lostDrivers().size(); ++d)
            out << "- **loses its driver**: "
                << text(deviceLabel(row.lostDrivers()[d], row.lostNames[d])) << " "
                << text(joined(row.lostDrivers()[d].ids)) << "\n";
        for (std::size_t d = 0; d < row.gainedDrivers().size(); ++d)
            out << "- gains a driver: "
                << text(deviceLabel(row.gainedDrivers()[d], row.gainedNames[d])) << " "
                << text(joined(row.gainedDrivers()[d].ids)) << "\n";
        for (const auto& [position, why] : row.entryProblems())
            out << "- **cannot run** #" << position << ": " << text(why) << "\n";
        out << "\n</details>\n";
    }
}

}  // namespace mfgtool
