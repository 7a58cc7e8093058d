// The matrix page.  Every row and cell is written here, so the page reads
// and prints completely without its script; sorting keys sit in data-key
// attributes (parts split by a tab, as file and line) so that the script
// needs no knowledge of the columns.
#include "html_report.h"

#include <map>
#include <set>
#include <vector>

#include "html_page.h"
#include "matrix_report.h"

namespace mfgtool {
namespace {

constexpr const char* kMatrixStyle = R"css(
table.matrix thead th { position: sticky; top: 0; z-index: 2; }
table.matrix tbody th { position: sticky; left: 0; z-index: 1; background: #fff; }
table.matrix thead th:first-child { left: 0; z-index: 3; }
table.matrix tbody td:not(.cell), table.matrix tbody th { white-space: nowrap; }
th.sortable { cursor: pointer; }
th[aria-sort="ascending"]::after { content: " \25B2"; }
th[aria-sort="descending"]::after { content: " \25BC"; }
th.model { min-width: 4.5rem; max-width: 9rem; }
th.model .display { display: block; }
th.model .model-name { display: block; font: 11px ui-monospace, monospace; font-weight: 400;
                       color: #444; word-break: break-all; }
td.cell { text-align: center; padding: 0; }
td.cell a { display: block; padding: .15rem .45rem; color: inherit; text-decoration: none; }
td.cell a:empty::after { content: "\00B7"; color: #bbb; }
td.cell.got { background: #e3f4e3; font-weight: 600; }
tr.dead th, tr.dead td { background: #fde8e8; }
.dead-mark { color: #a00; }
tr.uncovered-id th { font-family: ui-monospace, monospace; }
td.uncovered { background: #fbd5d5; color: #a00; text-align: center; font-weight: 700; }
.uncovered-mark, .no-list-mark { color: #a00; }
tfoot th { text-align: right; font-weight: 600; }
tfoot td { text-align: center; }
table.models ul { margin: 0; padding-left: 1.1rem; }
#reasons dt:target, #reasons dt:target + dd { background: #fff4c2; }
#reasons dl { display: grid; grid-template-columns: max-content 1fr; gap: .1rem .8rem; }
#reasons dd { margin: 0; }
#reasons h3 { font-size: 1rem; margin: 1rem 0 .2rem; }
.panel { position: fixed; right: 1rem; bottom: 1rem; max-width: 32rem; background: #fff;
         border: 1px solid #888; box-shadow: 0 2px 10px rgba(0,0,0,.25); padding: .6rem .8rem;
         z-index: 5; }
.panel h3 { font-size: 1rem; margin: 0 1.5rem .3rem 0; }
.panel button { position: absolute; top: .3rem; right: .4rem; }
@media print {
  @page { size: landscape; margin: 1cm; }
  #reasons { display: none; }
  table.matrix { font-size: 10px; }
}
)css";

constexpr const char* kMatrixScript = R"js(
var table = document.getElementById("matrix");
var entries = document.getElementById("entries");
var uncoveredIds = document.getElementById("uncovered-ids");
var filterBox = document.getElementById("filter");
var deadOnly = document.getElementById("dead-only");
var showUncovered = document.getElementById("show-uncovered");
var shown = document.getElementById("shown");
var headers = Array.prototype.slice.call(table.tHead.rows[0].cells);
var rows = Array.prototype.slice.call(entries.rows);
var idRows = uncoveredIds ? Array.prototype.slice.call(uncoveredIds.rows) : [];
var texts = new Map();
rows.concat(idRows).forEach(function (row) { texts.set(row, row.textContent.toLowerCase()); });
var sort = { column: -1, descending: false };

// "Entry 9" before "Entry 10", case aside; the same order on every machine.
var collator = new Intl.Collator("en", { numeric: true, sensitivity: "base" });
function keyOf(row, column) {
  var cell = row.cells[column];
  return cell && cell.dataset.key !== undefined ? cell.dataset.key.split("\t") : null;
}
function compareKeys(a, b) {
  for (var i = 0; i < Math.min(a.length, b.length); ++i) {
    var order = collator.compare(a[i], b[i]);
    if (order) return order;
  }
  return a.length - b.length;
}
function sortRows(column, descending) {
  var ordered = rows.slice().sort(function (a, b) {
    var x = keyOf(a, column), y = keyOf(b, column);
    if (x === null || y === null) {
      if ((x === null) !== (y === null)) return x === null ? 1 : -1;  // not listed: last
    } else {
      var order = compareKeys(x, y);
      if (order) return descending ? -order : order;
    }
    return Number(a.dataset.order) - Number(b.dataset.order);
  });
  ordered.forEach(function (row) { entries.appendChild(row); });
  headers.forEach(function (th, i) {
    if (th.dataset.sort)
      th.setAttribute("aria-sort", i !== column ? "none" : descending ? "descending" : "ascending");
  });
  sort = { column: column, descending: descending };
}
function applyFilter() {
  var words = filterBox.value.toLowerCase().split(/\s+/).filter(Boolean);
  function matches(row) {
    var text = texts.get(row);
    return words.every(function (word) { return text.indexOf(word) >= 0; });
  }
  var count = 0;
  rows.forEach(function (row) {
    row.hidden = !matches(row) || (deadOnly.checked && !row.classList.contains("dead"));
    if (!row.hidden) ++count;
  });
  idRows.forEach(function (row) { row.hidden = !matches(row); });
  if (uncoveredIds) uncoveredIds.hidden = !showUncovered.checked;
  shown.textContent = count + " of " + rows.length + " entries shown";
}
function readFragment() {
  var params = new URLSearchParams(location.hash.replace(/^#/, ""));
  var key = params.get("sort");
  if (key) {
    var descending = key.charAt(0) === "-";
    if (descending) key = key.slice(1);
    var column = headers.findIndex(function (th) { return th.dataset.sort === key; });
    if (column >= 0) sortRows(column, descending);
  }
  if (params.has("filter")) filterBox.value = params.get("filter");
  if (params.has("dead")) deadOnly.checked = params.get("dead") === "1";
  if (params.has("uncovered")) showUncovered.checked = params.get("uncovered") !== "0";
}
function writeFragment() {
  var params = new URLSearchParams();
  if (sort.column >= 0)
    params.set("sort", (sort.descending ? "-" : "") + headers[sort.column].dataset.sort);
  if (filterBox.value) params.set("filter", filterBox.value);
  if (deadOnly.checked) params.set("dead", "1");
  if (!showUncovered.checked) params.set("uncovered", "0");
  var fragment = params.toString();
  try {
    history.replaceState(null, "", fragment ? "#" + fragment : location.pathname + location.search);
  } catch (ignored) {}  // some browsers refuse it for a file: address; the view works anyway
}

headers.forEach(function (th, column) {
  if (!th.dataset.sort) return;
  th.classList.add("sortable");
  th.tabIndex = 0;
  th.title = "Sort by this column (again: the other way)";
  th.setAttribute("aria-sort", "none");
  function choose() {
    sortRows(column, sort.column === column && !sort.descending);
    writeFragment();
  }
  th.addEventListener("click", choose);
  th.addEventListener("keydown", function (event) {
    if (event.key === "Enter" || event.key === " ") { event.preventDefault(); choose(); }
  });
});
[filterBox, deadOnly, showUncovered].forEach(function (control) {
  control.addEventListener("input", function () { applyFilter(); writeFragment(); });
});

var panel = document.getElementById("panel");
table.addEventListener("click", function (event) {
  var link = event.target.closest("a.why");
  if (!link) return;
  event.preventDefault();
  var cell = link.parentNode;
  document.getElementById("panel-title").textContent =
    headers[cell.cellIndex].dataset.label + " \u00B7 " + cell.parentNode.dataset.label;
  document.getElementById("panel-reason").textContent = link.title;
  document.getElementById("panel-all").href = link.getAttribute("href");
  panel.hidden = false;
});
document.getElementById("panel-close").addEventListener("click", function () {
  panel.hidden = true;
});

readFragment();
applyFilter();
document.getElementById("controls").hidden = false;
)js";

const Json kNoCell;  // a model the entry has no cell for: shown as not listed

std::string plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string placeOf(const Json& entry) {
    return htmlMember(entry, "file") + ":" + htmlMember(entry, "line");
}

std::string headerRow(const std::vector<HtmlModel>& models, const Json& modelsJson) {
    std::string html = "<thead><tr>"
                       "<th scope=\"col\" data-sort=\"section\">Section</th>"
                       "<th scope=\"col\" data-sort=\"place\">File:line</th>"
                       "<th scope=\"col\" data-sort=\"name\">NAME</th>"
                       "<th scope=\"col\" data-sort=\"type\">TYPE</th>"
                       "<th scope=\"col\" data-sort=\"hardid\">HARDID</th>";
    for (std::size_t c = 0; c < models.size(); ++c) {
        const HtmlModel& model = models[c];
        const Json& json = modelsJson[c];
        html += "<th scope=\"col\" class=\"model\" id=\"col-" + std::to_string(c) +
                "\" data-sort=\"model:" + model.name + "\" data-label=\"" + model.label +
                "\"><span class=\"display\">" + model.display + "</span>";
        if (model.display != model.name)
            html += "<span class=\"model-name\">" + model.name + "</span>";
        const std::size_t uncovered = arrayOf(json, "uncovered_ids").size();
        if (uncovered > 0)
            html += "<span class=\"mark uncovered-mark\">" + std::to_string(uncovered) +
                    " uncovered</span>";
        if (memberOf(json, "list_written") == false)
            html += "<span class=\"mark no-list-mark\">no list</span>";
        html += "</th>";
    }
    return html + "</tr></thead>\n";
}

// The entry sections no model's run had as a candidate: listed apart,
// since nothing is wrong with them.
std::string notCandidatesSection(const Json& entries) {
    if (entries.empty()) return {};
    std::string html = "<h2 id=\"not-candidates\">Not for this list (never dead)</h2>\n<ul>";
    for (const Json& entry : entries)
        html += "<li>" + htmlMember(entry, "section") + " (" + placeOf(entry) + ") " +
                htmlMember(entry, "name") + ": " + htmlMember(entry, "text") + "</li>";
    return html + "</ul>\n";
}

std::string entryRow(const Json& entry, std::size_t row, bool dead, std::size_t modelCount) {
    const std::string r = std::to_string(row);
    const std::string section = htmlMember(entry, "section");
    std::string html = "<tr class=\"entry" + std::string(dead ? " dead" : "") + "\" id=\"entry-" +
                       r + "\" data-order=\"" + r + "\" data-id=\"" + htmlMember(entry, "id") +
                       "\" data-label=\"" + section + " (" + placeOf(entry) + ")\">";
    html += "<th scope=\"row\" data-key=\"" + section + "\">" + section;
    if (dead) {
        const Json& reason = memberOf(entry, "dead_reason");
        const std::string why = memberOf(reason, "text").is_string() ? htmlMember(reason, "text")
                                                                     : "No model gets this entry";
        html += "<span class=\"mark dead-mark\" title=\"" + why + "\">dead</span>";
    }
    html += "</th><td data-key=\"" + htmlMember(entry, "file") + "\t" +
            htmlMember(entry, "line") + "\">" + placeOf(entry) + "</td>";
    for (const char* key : {"name", "type", "hardid"}) {
        const std::string text = htmlMember(entry, key);
        html += "<td data-key=\"" + text + "\">" + text + "</td>";
    }
    const Json& cells = arrayOf(entry, "cells");
    for (std::size_t c = 0; c < modelCount; ++c) {
        const Json& cell = c < cells.size() ? cells[c] : kNoCell;
        const Json& position = memberOf(cell, "position");
        const bool got = !position.is_null();
        html += got ? "<td class=\"cell got\" data-key=\"" + htmlText(position) + "\">"
                    : std::string("<td class=\"cell\">");
        html += "<a class=\"why\" href=\"#why-" + r + "-" + std::to_string(c) + "\" title=\"" +
                htmlMember(cell, "reason") + "\">" + (got ? htmlText(position) : "") + "</a></td>";
    }
    return html + "</tr>\n";
}

// One row per uncovered ID, marked under every model that has it: the IDs
// read across the line, so an ID several models lack shows once.
std::string uncoveredRows(const Json& modelsJson, const std::vector<HtmlModel>& models) {
    std::map<std::string, std::set<std::size_t>> modelsById;
    for (std::size_t c = 0; c < models.size(); ++c)
        for (const Json& id : arrayOf(modelsJson[c], "uncovered_ids"))
            modelsById[htmlText(id)].insert(c);
    std::string html = "<tbody id=\"uncovered-ids\">\n";
    for (const auto& [id, lacking] : modelsById) {
        html += "<tr class=\"uncovered-id\"><th scope=\"row\">" + id +
                "</th><td colspan=\"4\">uncovered ID: no entry claims it</td>";
        for (std::size_t c = 0; c < models.size(); ++c)
            html += lacking.count(c) ? "<td class=\"uncovered\" title=\"" + models[c].label +
                                           " has " + id + " and no entry for it\">\u2717</td>"
                                     : std::string("<td></td>");
        html += "</tr>\n";
    }
    return html + "</tbody>\n";
}

std::string summaryRows(const Json& modelsJson) {
    std::string counts, outcomes, written, uncovered, warnings;
    for (std::size_t c = 0; c < modelsJson.size(); ++c) {
        const Json& model = modelsJson[c];
        counts += "<td>" + htmlMember(model, "entry_count") + "</td>";
        // A run that failed or lacks its media is marked, its reason the title.
        const std::string outcome = htmlMember(model, "outcome");
        const bool bad = outcome == "failed" || outcome == "missing-files";
        outcomes += "<td title=\"" + htmlMember(model, "no_list") + "\">" +
                    (bad ? "<span class=\"mark no-list-mark\">" + outcome + "</span>" : outcome) +
                    "</td>";
        written += memberOf(model, "list_written") == false
                       ? "<td><span class=\"mark no-list-mark\">no list</span></td>"
                       : "<td>" + htmlMember(model, "list_written") + "</td>";
        uncovered += "<td>" + std::to_string(arrayOf(model, "uncovered_ids").size()) + "</td>";
        const std::size_t warned = arrayOf(model, "warnings").size();
        warnings += warned == 0 ? std::string("<td></td>")
                                : "<td><a href=\"#model-" + std::to_string(c) + "\">" +
                                      std::to_string(warned) + "</a></td>";
    }
    const auto row = [](const char* label, const std::string& cells) {
        return "<tr><th scope=\"row\" colspan=\"5\">" + std::string(label) + "</th>" + cells +
               "</tr>\n";
    };
    return "<tfoot>\n" + row("Entries in the list", counts) + row("Outcome", outcomes) +
           row("List written", written) +
           row("Uncovered IDs", uncovered) + row("Warnings", warnings) + "</tfoot>\n";
}

std::string modelsTable(const Json& modelsJson, const std::vector<HtmlModel>& models) {
    std::string html = "<h2>Models</h2>\n<table class=\"models\"><thead><tr><th>Model</th>"
                       "<th>File</th><th>Windows</th><th>Kind</th><th>Entries</th>"
                       "<th>List written</th><th>Uncovered IDs</th><th>Warnings</th>"
                       "</tr></thead>\n<tbody>\n";
    for (std::size_t c = 0; c < models.size(); ++c) {
        const Json& model = modelsJson[c];
        html += "<tr id=\"model-" + std::to_string(c) + "\"><th scope=\"row\">" + models[c].label +
                "</th>";
        for (const char* key : {"file", "windows", "kind", "entry_count", "list_written"})
            html += "<td>" + htmlMember(model, key) + "</td>";
        html += "<td>";
        for (const Json& id : arrayOf(model, "uncovered_ids"))
            html += "<code class=\"uncovered-id\">" + htmlText(id) + "</code> ";
        html += "</td><td>";
        if (!arrayOf(model, "warnings").empty()) {
            html += "<ul>";
            for (const Json& warning : arrayOf(model, "warnings"))
                html += "<li>" + htmlText(warning) + "</li>";
            html += "</ul>";
        }
        html += "</td></tr>\n";
    }
    return html + "</tbody></table>\n";
}

std::string reasonsSection(const Json& entriesJson, const std::vector<HtmlModel>& models) {
    std::string html = "<div id=\"reasons\"><h2>Why each cell is as it is</h2>\n";
    for (std::size_t row = 0; row < entriesJson.size(); ++row) {
        const Json& entry = entriesJson[row];
        const std::string r = std::to_string(row);
        html += "<section id=\"why-" + r + "\"><h3>" + htmlMember(entry, "section") + " \u00B7 " +
                htmlMember(entry, "name") + " \u00B7 " + placeOf(entry) + "</h3><dl>";
        const Json& cells = arrayOf(entry, "cells");
        for (std::size_t c = 0; c < models.size() && c < cells.size(); ++c)
            html += "<dt id=\"why-" + r + "-" + std::to_string(c) + "\">" + models[c].label +
                    "</dt><dd>" + htmlMember(cells[c], "reason") + "</dd>";
        html += "</dl></section>\n";
    }
    return html + "</div>\n";
}

std::string renderMatrixPage(const Json& matrix) {
    const Json& modelsJson = arrayOf(matrix, "models");
    const Json& entriesJson = arrayOf(matrix, "entries");
    std::vector<HtmlModel> models;
    std::size_t uncoveredCount = 0;
    for (const Json& model : modelsJson) {
        models.push_back(htmlModel(model));
        uncoveredCount += arrayOf(model, "uncovered_ids").size();
    }
    std::set<std::string> deadIds;
    for (const Json& id : arrayOf(matrix, "dead_entries")) deadIds.insert(htmlText(id));

    std::string body = "<h1>mfglist matrix</h1>\n" + htmlRunList(memberOf(matrix, "run"));
    body += "<p class=\"summary\">" + plural(entriesJson.size(), "entry", "entries") + " \u00D7 " +
            plural(models.size(), "model", "models") + " \u00B7 " +
            plural(deadIds.size(), "dead entry", "dead entries") + " \u00B7 " +
            plural(uncoveredCount, "uncovered ID", "uncovered IDs") +
            " \u00B7 status " + htmlMember(matrix, "status") + "</p>\n";
    if (memberOf(matrix, "error").is_string())
        body += "<p class=\"error\">" + htmlMember(matrix, "error") + "</p>\n";
    body += "<div class=\"controls\" id=\"controls\" hidden>"
            "<label>Filter <input type=\"search\" id=\"filter\" placeholder=\"text in the row\">"
            "</label><label><input type=\"checkbox\" id=\"dead-only\"> dead entries only</label>"
            "<label><input type=\"checkbox\" id=\"show-uncovered\" checked> show uncovered IDs"
            "</label><span id=\"shown\"></span></div>\n";
    body += "<table class=\"matrix\" id=\"matrix\">\n" + headerRow(models, modelsJson) +
            "<tbody id=\"entries\">\n";
    for (std::size_t row = 0; row < entriesJson.size(); ++row) {
        const Json& entry = entriesJson[row];
        const bool dead = memberOf(entry, "dead") == true ||
                          deadIds.count(htmlMember(entry, "id")) > 0;
        body += entryRow(entry, row, dead, models.size());
    }
    body += "</tbody>\n" + uncoveredRows(modelsJson, models) + summaryRows(modelsJson) +
            "</table>\n";
    body += modelsTable(modelsJson, models) + reasonsSection(entriesJson, models) +
            notCandidatesSection(arrayOf(matrix, "not_candidates"));
    body += "<aside class=\"panel\" id=\"panel\" hidden><button type=\"button\" id=\"panel-close\">"
            "Close</button><h3 id=\"panel-title\"></h3><p id=\"panel-reason\"></p>"
            "<a id=\"panel-all\" href=\"#reasons\">this reason among every model's</a></aside>\n";

    const Json& run = memberOf(matrix, "run");
    std::string title = "mfglist matrix";
    if (memberOf(run, "folder").is_string())
        title += ": " + memberOf(run, "folder").get<std::string>();
    return renderHtmlPage({title, kMatrixStyle, body, kMatrixScript});
}

}  // namespace

std::string renderMatrixHtml(const LineReport& report) { return renderMatrixPage(matrixJson(report)); }

}  // namespace mfgtool
