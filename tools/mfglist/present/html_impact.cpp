// The impact page: what a change to the process files does to each model's
// list.  The answer first: the totals and one summary row per model that
// changes (those that leave a device without a driver or list an entry a
// host cannot run on top, in colour); then the view by change, each change
// linked to the models whose list shows it; then each changed model's
// detail, linked back to its changes.  The unchanged models fold into one
// list, since a reviewer only needs to know they are.
#include <string>
#include <vector>

#include "html_page.h"
#include "html_report.h"
#include "impact_report.h"
#include "matrix_report.h"
#include "report.h"

namespace mfgtool {
namespace {

constexpr const char* kImpactStyle = R"css(
p.totals { color: #333; margin-top: -.4rem; }
div.wide { overflow-x: auto; }
table.impact-summary tbody th, table.impact-summary td:nth-child(2) { white-space: nowrap; }
table.impact-summary .model-name { display: block; }
table.impact-summary td.figure { text-align: right; font-variant-numeric: tabular-nums; }
table.impact-summary td.zero { color: #999; }
table.impact-summary tr.attention th { background: #fbe3e3; }
table.impact-summary tr.attention td.alarm:not(.zero) { background: #f6c9c9; color: #700; font-weight: 600; }
section.model { border-top: 2px solid #8aa; margin-top: 1.2rem; }
section.model h2 { margin-top: .6rem; }
section.model h3 { font-size: 1rem; margin: .6rem 0 .2rem; }
.model-name { font: 12px ui-monospace, monospace; color: #444; }
.changed-mark { color: #a50; }
.attention-mark { color: #a00; }
p.shows a, td.models a { margin-right: .4rem; }
table.added thead th { background: #dff0df; }
table.removed thead th, table.lost-drivers thead th { background: #f6dede; }
td.old code { color: #900; }
td.new code { color: #060; }
details.unchanged { margin-top: 1.2rem; }
details.unchanged summary { font-weight: 600; cursor: pointer; }
tr.downgrade td { background: #fbe3c8; }
:target { outline: 2px solid #36c; outline-offset: 2px; }
)css";

// A link to a folded model opens the fold, so that the target is seen
// (Chromium does so of itself; not every browser does); printing opens
// every fold, so that paper shows every model.
constexpr const char* kImpactScript = R"js(
function reveal() {
  var id = decodeURIComponent(location.hash.slice(1));
  var target = id && document.getElementById(id);
  for (var at = target; at; at = at.parentElement)
    if (at.tagName === "DETAILS") at.open = true;
}
window.addEventListener("hashchange", reveal);
reveal();
var folded = [];
window.addEventListener("beforeprint", function () {
  folded = Array.prototype.slice.call(document.querySelectorAll("details:not([open])"));
  folded.forEach(function (details) { details.open = true; });
});
window.addEventListener("afterprint", function () {
  folded.forEach(function (details) { details.open = false; });
});
)js";

std::string modelAnchor(std::size_t model) { return "model-" + std::to_string(model); }
std::string changeAnchor(std::size_t change) { return "change-" + std::to_string(change); }

std::string link(const std::string& anchor, const std::string& html) {
    return "<a href=\"#" + anchor + "\">" + html + "</a>";
}

std::string code(const std::string& text) { return "<code>" + escapeHtml(text) + "</code>"; }

// A table of rows already made into cells (HTML); nothing when no row.
std::string table(const char* kind, const std::string& caption,
                  const std::vector<const char*>& headers,
                  const std::vector<std::vector<std::string>>& rows) {
    if (rows.empty()) return {};
    std::string html = "<h3>" + caption + " (" + std::to_string(rows.size()) +
                       ")</h3>\n<table class=\"" + kind + "\"><thead><tr>";
    for (const char* header : headers) html += "<th scope=\"col\">" + std::string(header) + "</th>";
    html += "</tr></thead><tbody>\n";
    for (const std::vector<std::string>& cells : rows) {
        html += "<tr>";
        for (const std::string& cell : cells) html += "<td>" + cell + "</td>";
        html += "</tr>\n";
    }
    return html + "</tbody></table>\n";
}

std::string modelLabel(const ModelImpactRow& row) {
    return row.displayName == row.name
               ? escapeHtml(row.name)
               : escapeHtml(row.displayName) + " (" + escapeHtml(row.name) + ")";
}

std::string summaryTable(const ImpactReport& report) {
    if (report.summary.empty()) return {};
    std::string html =
        "<div class=\"wide\"><table class=\"impact-summary\" id=\"summary\"><thead><tr><th "
        "scope=\"col\">Model</th>"
        "<th scope=\"col\">Entries</th>";
    for (const ImpactFigure& figure : impactFigures())
        html += "<th scope=\"col\" data-member=\"" + std::string(figure.member) + "\">" +
                figure.heading + "</th>";
    html += "</tr></thead><tbody>\n";
    for (const std::size_t m : report.summary) {
        const ModelImpactRow& row = report.models[m];
        html += "<tr data-model=\"" + escapeHtml(row.name) + "\"" +
                (row.needsAttention() ? " class=\"attention\"" : "") + "><th scope=\"row\">" +
                link(modelAnchor(m), escapeHtml(row.displayName)) +
                (row.displayName == row.name
                     ? ""
                     : "<span class=\"model-name\">" + escapeHtml(row.name) + "</span>") +
                "</th><td>" + escapeHtml(impactEntriesText(row, " \u2192 ")) + "</td>";
        for (const ImpactFigure& figure : impactFigures()) {
            const std::size_t value = figure.of(row);
            const std::string member = figure.member;
            const bool alarm = member == "lost_drivers" || member == "entry_problems";
            html += "<td class=\"figure" + std::string(alarm ? " alarm" : "") +
                    (value ? "" : " zero") + "\" data-member=\"" + member + "\">" +
                    std::to_string(value) + "</td>";
        }
        html += "</tr>\n";
    }
    return html + "</tbody></table></div>\n";
}

std::string modelLinks(const ImpactReport& report, const std::vector<std::size_t>& models) {
    if (models.empty()) return "no model's list shows it";
    std::string html = std::to_string(models.size()) + ":";
    for (const std::size_t m : models)
        html += " " + link(modelAnchor(m), escapeHtml(report.models[m].name));
    return html;
}

// The view by change: each change once, with links to the models whose
// list shows it, then the entries that no model gets any more or some
// model gets again.
std::string changeView(const ImpactReport& report) {
    std::string html;
    const std::vector<SectionChange>& changes = report.impact->changes;
    if (!changes.empty()) {
        html +=
            "<section class=\"by-change\"><h2>By change (" + std::to_string(changes.size()) +
            ")</h2>\n<table class=\"changes\"><thead><tr><th scope=\"col\">Change</th>"
            "<th scope=\"col\">Section</th><th scope=\"col\">NAME</th><th scope=\"col\">What</th>"
            "<th scope=\"col\">Models</th></tr></thead><tbody>\n";
        for (std::size_t c = 0; c < changes.size(); ++c) {
            const SectionChange& change = changes[c];
            html += "<tr id=\"" + changeAnchor(c) + "\"" +
                    (change.downgrade ? " class=\"downgrade\"" : "") + "><td>" +
                    sectionChangeKind(change.kind) + "</td><td>" + escapeHtml(change.section) +
                    "</td><td>" + escapeHtml(change.name) + "</td><td>" +
                    escapeHtml(changeDetail(change, " \u2192 ")) + "</td><td class=\"models\">" +
                    modelLinks(report, change.models) + "</td></tr>\n";
        }
        html += "</tbody></table></section>\n";
    }
    for (const bool dead : {true, false}) {
        std::vector<std::vector<std::string>> rows;
        for (const EntryLifeChange& life : report.impact->lifeChanges)
            if (life.nowDead == dead)
                rows.push_back({escapeHtml(life.row->file), std::to_string(life.row->fileLine),
                                escapeHtml(life.row->section), escapeHtml(life.row->name),
                                modelLinks(report, life.models)});
        html += table(
            dead ? "now-dead" : "live-again",
            dead ? "Entries no model gets any more" : "Entries some model gets again",
            {"File", "Line", "Section", "NAME", dead ? "Listed before by" : "Listed now by"}, rows);
    }
    return html;
}

std::string devicesTable(const char* kind, const char* caption,
                         const std::vector<IdDevice>& devices,
                         const std::vector<std::optional<std::string>>& names) {
    std::vector<std::vector<std::string>> rows;
    for (std::size_t d = 0; d < devices.size(); ++d) {
        std::string ids;
        for (const std::string& id : devices[d].ids) ids += (ids.empty() ? "" : " ") + id;
        rows.push_back({escapeHtml(deviceLabel(devices[d], names[d])), code(ids)});
    }
    return table(kind, caption, {"Device", "IDs"}, rows);
}

std::string changedModel(const ImpactReport& report, const ModelImpactRow& row) {
    std::string html = "<section class=\"model changed\" id=\"" + modelAnchor(row.model) +
                       "\"><h2>" + escapeHtml(row.displayName);
    if (row.displayName != row.name)
        html += " <span class=\"model-name\">" + escapeHtml(row.name) + "</span>";
    html += row.changed ? "<span class=\"mark changed-mark\">changes</span>" : "";
    html += row.needsAttention() ? "<span class=\"mark attention-mark\">needs a look</span>" : "";
    html += "</h2>\n<p>Entries: " + escapeHtml(impactEntriesText(row, " \u2192 ")) + "</p>\n";
    if (!row.changes.empty()) {
        html += "<p class=\"shows\">Its list shows:";
        for (const std::size_t c : row.changes) {
            const SectionChange& change = report.impact->changes[c];
            html += " " + link(changeAnchor(c), std::string(sectionChangeKind(change.kind)) + " " +
                                                    escapeHtml(change.section));
        }
        html += "</p>\n";
    }
    const auto versionMark = [](bool down) {
        return down ? " <span class=\"mark\">VERSION goes down</span>" : "";
    };
    std::vector<std::vector<std::string>> added, removed, moved, fields, system, problems;
    for (const ImpactEntry& e : row.added)
        added.push_back({std::to_string(e.position), escapeHtml(e.section), escapeHtml(e.name),
                         code(e.hardId),
                         e.replaces ? escapeHtml(*e.replaces) + versionMark(e.downgrade) : ""});
    for (const ImpactEntry& e : row.removed)
        removed.push_back({std::to_string(e.position), escapeHtml(e.section), escapeHtml(e.name),
                           code(e.hardId)});
    for (const ImpactMove& e : row.moved)
        moved.push_back({escapeHtml(e.section), escapeHtml(e.name), std::to_string(e.from),
                         std::to_string(e.to)});
    for (const ImpactField& e : row.fields)
        fields.push_back({std::to_string(e.position), escapeHtml(e.section), escapeHtml(e.name),
                          escapeHtml(e.change.key) + versionMark(e.downgrade),
                          code(shownValue(e.change.before)), code(shownValue(e.change.after))});
    for (const KeyChange& e : row.system)
        system.push_back(
            {escapeHtml(e.key), code(shownValue(e.before)), code(shownValue(e.after))});
    for (const auto& [position, why] : row.entryProblems())
        problems.push_back({std::to_string(position), escapeHtml(why)});
    html += devicesTable("lost-drivers", "Devices that lose their driver", row.lostDrivers(),
                         row.lostNames);
    html +=
        table("entry-problems", "Listed entries a host cannot run", {"Position", "Why"}, problems);
    html +=
        table("added", "Added", {"Position", "Section", "NAME", "HARDID", "In place of"}, added);
    html += table("removed", "Removed", {"Position", "Section", "NAME", "HARDID"}, removed);
    html += table("moved", "Moved in the install order", {"Section", "NAME", "From", "To"}, moved);
    html += table("changed-fields", "Fields changed",
                  {"Position", "Section", "NAME", "Key", "Old", "New"}, fields);
    html += table("system", "SYSTEM changed", {"Key", "Old", "New"}, system);
    html += devicesTable("gained-drivers", "Devices that gain a driver", row.gainedDrivers(),
                         row.gainedNames);
    return html + "</section>\n";
}

}  // namespace

std::string renderImpactHtml(const ImpactReport& report) {
    Json run = lineRunJson(*report.options, report.newFolder);
    run["old"] = report.oldName;
    std::string body = "<h1>mfglist impact</h1>\n" + htmlRunList(run);
    body += "<p class=\"summary\">" + escapeHtml(report.summaryText) + "</p>\n";
    body += "<p class=\"totals\">" + escapeHtml(impactTotalsLine(report.totals)) + "</p>\n";
    body += summaryTable(report);
    body += changeView(report);
    for (const std::size_t m : report.summary) body += changedModel(report, report.models[m]);
    if (!report.unchanged.empty()) {
        body += "<details class=\"unchanged\" id=\"unchanged\"><summary>" +
                std::to_string(report.unchanged.size()) +
                (report.unchanged.size() == 1 ? " model" : " models") +
                " unchanged</summary>\n<ul>\n";
        for (const std::size_t m : report.unchanged) {
            const ModelImpactRow& row = report.models[m];
            body += "<li id=\"" + modelAnchor(m) + "\">" + modelLabel(row) + ": " +
                    std::to_string(row.newEntries) + " entries</li>\n";
        }
        body += "</ul></details>\n";
    }
    return renderHtmlPage(
        {"mfglist impact: " + report.summaryText, kImpactStyle, body, kImpactScript});
}

}  // namespace mfgtool
