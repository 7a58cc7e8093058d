// The matrix page.  The summary, the grid and the models' detail are written
// here, so the page reads and prints without its script.  A big line must
// stay a small page: a grid cell is its position and nothing else, each
// reason text is written once (an index the rows point into) and the panel
// shows a cell's reason on demand; sorting keys sit in the rows' data
// attributes, so that the script needs no knowledge of the columns.
#include "html_report.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "html_page.h"
#include "line/share_run.h"
#include "matrix_report.h"

namespace mfgtool {
namespace {

constexpr const char* kMatrixStyle = R"css(
p.totals { font-size: 1.05rem; font-weight: 600; }
.bad { color: #a00; }
table.summary td { text-align: right; }
table.summary td.outcome { text-align: left; }
table.summary tr.attention th, table.summary tr.attention td { background: #fdecec; }
table.summary tr.failed th, table.summary tr.failed td { background: #f9c9c9; }
table.summary td.bad { font-weight: 700; }
table.summary small { color: #555; font-weight: 400; }
details.fine > summary { cursor: pointer; margin: .2rem 0; }
#grid-view { overflow-x: auto; max-width: 100%; }
table.matrix thead th { position: sticky; top: 0; z-index: 2; }
table.matrix tbody th { position: sticky; left: 0; z-index: 1; background: #fff; }
table.matrix thead th:first-child { left: 0; z-index: 3; }
table.matrix th.entry { min-width: 9rem; max-width: 15rem; overflow: hidden;
                        text-overflow: ellipsis; white-space: nowrap; font-weight: 400; }
table.matrix th.entry b { font-weight: 600; }
table.matrix th.entry .nm { color: #555; margin-left: .3rem; }
.more { display: none; color: #333; font-size: 12px; }
body.details .more { display: block; }
body.details table.matrix th.entry { white-space: normal; max-width: 22rem; }
th.sortable { cursor: pointer; }
th[aria-sort="ascending"]::after { content: " \25B2"; }
th[aria-sort="descending"]::after { content: " \25BC"; }
th.model { min-width: 3.2rem; max-width: 7rem; font-size: 12px; font-weight: 600;
           vertical-align: bottom; overflow-wrap: anywhere; }
th.model .model-name { display: block; font: 11px ui-monospace, monospace; color: #444; }
th.model .mark { display: block; margin: .1rem 0 0; text-transform: none; }
.members { display: none; font-weight: 400; font-size: 11px; color: #333; }
.grouped .members { display: block; }
#entries td { text-align: center; padding: .15rem .3rem; cursor: pointer; }
#entries td:not(:empty) { background: #e3f4e3; font-weight: 600; }
#entries td.p { background: #f9c9c9; color: #a00; }
#entries td:empty::after { content: "\00B7"; color: #bbb; }
tr.dead th, tr.dead td { background: #fde8e8 !important; }
.dead-mark, .uncovered-mark, .no-list-mark { color: #a00; }
table.by-model ol { margin: 0; padding: 0; list-style: none; display: flex; flex-wrap: wrap;
                    gap: .1rem .7rem; }
table.by-model li i { color: #555; font-style: normal; margin-right: .2rem; }
table.models ul { margin: 0; padding-left: 1.1rem; }
.panel { position: fixed; right: 1rem; bottom: 1rem; max-width: 32rem; background: #fff;
         border: 1px solid #888; box-shadow: 0 2px 10px rgba(0,0,0,.25); padding: .6rem .8rem;
         z-index: 5; }
.panel h3 { font-size: 1rem; margin: 0 1.5rem .3rem 0; }
.panel button { position: absolute; top: .3rem; right: .4rem; }
@media print {
  @page { size: landscape; margin: 1cm; }
  #grid-view { overflow: visible; }
  table.matrix { font-size: 10px; }
}
)css";

constexpr const char* kMatrixScript = R"js(
var body = document.body;
var table = document.getElementById("matrix");
var entries = document.getElementById("entries");
var gridView = document.getElementById("grid-view");
var modelsView = document.getElementById("models-view");
var uncoveredTable = document.getElementById("uncovered-devices");
var filterBox = document.getElementById("filter");
var details = document.getElementById("details");
var grouped = document.getElementById("grouped");
var viewModels = document.getElementById("view-models");
var viewGrid = document.getElementById("view-grid");
var deadOnly = document.getElementById("dead-only");
var showUncovered = document.getElementById("show-uncovered");
var shown = document.getElementById("shown");
var reasons = JSON.parse(document.getElementById("reasons").textContent);
var headers = Array.prototype.slice.call(table.tHead.rows[0].cells);
var modelHeads = headers.slice(1);
var rows = Array.prototype.slice.call(entries.rows);
var modelRows = Array.prototype.slice.call(document.getElementById("by-model").tBodies[0].rows);
var deviceRows = uncoveredTable ? Array.prototype.slice.call(uncoveredTable.tBodies[0].rows) : [];
var sort = { key: "", descending: false };

// A word of the filter matches a word of the text that it begins: "lan"
// finds "LAN" and "LAN_DRIVER", never "Norrland".
function wordsOf(text) {
  return text.toLowerCase().split(/[^\p{L}\p{N}]+/u).filter(Boolean);
}
var rowWords = rows.map(function (row) {
  var d = row.dataset;
  return wordsOf([d.s, d.n, d.t, d.h, d.dev || ""].join(" "));
});
var modelWords = modelHeads.map(function (th) { return wordsOf(th.dataset.words); });
var deviceWords = deviceRows.map(function (row) { return wordsOf(row.cells[0].textContent); });
var groupOf = modelHeads.map(function (th) { return Number(th.dataset.group); });
var leaders = [];
groupOf.forEach(function (group, model) { if (leaders[group] === undefined) leaders[group] = model; });

function maskOf(words, query) {
  var mask = 0;
  query.forEach(function (word, i) {
    if (words.some(function (w) { return w.lastIndexOf(word, 0) === 0; })) mask |= 1 << i;
  });
  return mask;
}

// "Entry 9" before "Entry 10", case aside; the same order on every machine.
var collator = new Intl.Collator("en", { numeric: true, sensitivity: "base" });
function keyOf(row, key) {
  var d = row.dataset;
  if (key === "section") return [d.s];
  if (key === "place") return [d.f, d.l];
  if (key === "name") return [d.n];
  if (key === "type") return [d.t];
  if (key === "hardid") return [d.h];
  var column = modelHeads.findIndex(function (th) { return th.dataset.sort === key; });
  var text = column >= 0 ? row.cells[column + 1].textContent : "";
  return text === "" ? null : [text];
}
function compareKeys(a, b) {
  for (var i = 0; i < Math.min(a.length, b.length); ++i) {
    var order = collator.compare(a[i], b[i]);
    if (order) return order;
  }
  return a.length - b.length;
}
function sortRows(key, descending) {
  var ordered = rows.slice().sort(function (a, b) {
    var x = keyOf(a, key), y = keyOf(b, key);
    if (x === null || y === null) {
      if ((x === null) !== (y === null)) return x === null ? 1 : -1;  // not listed: last
    } else {
      var order = compareKeys(x, y);
      if (order) return descending ? -order : order;
    }
    return Number(a.dataset.order) - Number(b.dataset.order);
  });
  ordered.forEach(function (row) { entries.appendChild(row); });
  headers.forEach(function (th) {
    if (th.dataset.sort)
      th.setAttribute("aria-sort", th.dataset.sort !== key ? "none" : descending ? "descending" : "ascending");
  });
  sort = { key: key, descending: descending };
}

// A column is hidden cell by cell, and only those that change: a style
// rule per hidden column would be matched against every cell of the page.
var columnsShown = modelHeads.map(function () { return true; });
function showColumns(columns) {
  var tableRows = [table.tHead.rows[0]].concat(rows);
  columns.forEach(function (show, c) {
    if (show === columnsShown[c]) return;
    columnsShown[c] = show;
    tableRows.forEach(function (row) { row.cells[c + 1].style.display = show ? "" : "none"; });
  });
}

// Every word must be found in the entry or in the model of a cell: the rows
// with such a cell stay, and the columns of models with one.
function apply() {
  var query = wordsOf(filterBox.value).slice(0, 30);
  var all = (1 << query.length) - 1;
  var models = modelWords.map(function (words) { return maskOf(words, query); });
  var wanted = {};  // mask -> whether some model completes it
  function pairs(mask) {
    if (!(mask in wanted))
      wanted[mask] = models.some(function (m) { return (m | mask) === all; });
    return wanted[mask];
  }
  var rowMasks = rowWords.map(function (words) { return maskOf(words, query); });
  var modelShown = models.map(function () { return query.length === 0; });
  var count = 0;
  rows.forEach(function (row, i) {
    var keep = pairs(rowMasks[i]) && (!deadOnly.checked || row.classList.contains("dead"));
    row.hidden = !keep;
    if (!keep) return;
    ++count;
    if (query.length) models.forEach(function (m, c) { if ((m | rowMasks[i]) === all) modelShown[c] = true; });
  });
  deviceRows.forEach(function (row, i) {
    var mask = maskOf(deviceWords[i], query);
    row.hidden = !row.dataset.models.split(" ").some(function (c) { return (models[c] | mask) === all; });
  });
  // Grouped, a group's first model stands for all of it.
  var groupShown = [];
  modelShown.forEach(function (keep, c) { groupShown[groupOf[c]] = groupShown[groupOf[c]] || keep; });
  var columns = modelShown.map(function (keep, c) {
    var show = grouped.checked ? leaders[groupOf[c]] === c && groupShown[groupOf[c]] : keep;
    modelRows[c].hidden = !show;
    return show;
  });
  if (!viewModels.checked) showColumns(columns);
  body.classList.toggle("details", details.checked);
  body.classList.toggle("grouped", grouped.checked);
  gridView.hidden = viewModels.checked;
  modelsView.hidden = !viewModels.checked;
  if (uncoveredTable) uncoveredTable.hidden = !showUncovered.checked;
  shown.textContent = count + " of " + rows.length + " entries, " +
      modelShown.filter(Boolean).length + " of " + models.length + " models shown";
}

var params = new URLSearchParams(location.hash.replace(/^#/, ""));
function readFragment() {
  var key = params.get("sort");
  if (key) {
    var descending = key.charAt(0) === "-";
    sortRows(descending ? key.slice(1) : key, descending);
  }
  if (params.has("filter")) filterBox.value = params.get("filter");
  details.checked = params.get("details") === "1";
  deadOnly.checked = params.get("dead") === "1";
  showUncovered.checked = params.get("uncovered") !== "0";
  // Models that cannot fit beside the entries are shown as rows, grouped,
  // unless the address asks otherwise.  Judged from the window's width, not
  // the grid's: laying out a grid of a thousand columns only to hide it
  // would cost more than all the rest of the page.
  var fits = 160 + 56 * modelHeads.length <= window.innerWidth;
  grouped.checked = params.has("group") ? params.get("group") === "1" : !fits;
  viewModels.checked = params.has("view") ? params.get("view") === "models" : !fits;
  viewGrid.checked = !viewModels.checked;
}
function writeFragment() {
  var params = new URLSearchParams();
  if (sort.key) params.set("sort", (sort.descending ? "-" : "") + sort.key);
  if (filterBox.value) params.set("filter", filterBox.value);
  params.set("view", viewModels.checked ? "models" : "grid");  // never left to the window's width
  params.set("group", grouped.checked ? "1" : "0");
  if (details.checked) params.set("details", "1");
  if (deadOnly.checked) params.set("dead", "1");
  if (!showUncovered.checked) params.set("uncovered", "0");
  var fragment = params.toString();
  try {
    history.replaceState(null, "", fragment ? "#" + fragment : location.pathname + location.search);
  } catch (ignored) {}  // some browsers refuse it for a file: address; the view works anyway
}

headers.forEach(function (th) {
  if (!th.dataset.sort) return;
  th.classList.add("sortable");
  th.tabIndex = 0;
  th.title = "Sort by this column (again: the other way)";
  th.setAttribute("aria-sort", "none");
  function choose() {
    sortRows(th.dataset.sort, sort.key === th.dataset.sort && !sort.descending);
    writeFragment();
  }
  th.addEventListener("click", choose);
  th.addEventListener("keydown", function (event) {
    if (event.key === "Enter" || event.key === " ") { event.preventDefault(); choose(); }
  });
});
[filterBox, details, grouped, viewModels, viewGrid, deadOnly, showUncovered].forEach(function (control) {
  control.addEventListener("input", function () { apply(); writeFragment(); });
});

var panel = document.getElementById("panel");
entries.addEventListener("click", function (event) {
  var cell = event.target.closest("td");
  if (!cell) return;
  var row = cell.parentNode, model = cell.cellIndex - 1;
  var head = modelHeads[model];
  document.getElementById("panel-title").textContent =
      head.dataset.label + " \u00B7 " + row.dataset.s + " (" + row.dataset.f + ":" + row.dataset.l + ")";
  document.getElementById("panel-reason").textContent = reasons[row.dataset.r.split(" ")[model]] || "";
  document.getElementById("panel-problem").textContent =
      cell.dataset.p !== undefined ? "Nothing to run: " + reasons[cell.dataset.p] : "";
  document.getElementById("panel-model").href = "#model-" + model;
  panel.hidden = false;
});
document.getElementById("panel-close").addEventListener("click", function () {
  panel.hidden = true;
});

readFragment();
apply();
document.getElementById("controls").hidden = false;
)js";

std::string plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A model as the page names it, every text escaped.
struct PageModel {
    std::string name;     // the file name without extension: the key
    std::string display;  // the catalogue's display name, else the name
    std::string label;    // "Display (name)", or the name alone when they agree
};

PageModel pageModel(const ModelRun& run) {
    PageModel model{escapeHtml(run.model.name), escapeHtml(run.displayName), {}};
    if (model.display.empty()) model.display = model.name;
    model.label =
        model.display == model.name ? model.name : model.display + " (" + model.name + ")";
    return model;
}

// Each distinct text once; a cell names its text by its index.
class TextIndex {
public:
    std::size_t of(const std::string& text) {
        const auto [at, fresh] = indexOf_.emplace(text, texts_.size());
        if (fresh) texts_.push_back(text);
        return at->second;
    }
    // A JSON array the page's script parses: "<" escaped so that no text can
    // close the element it sits in.
    std::string json() const {
        const std::string dumped =
            Json(texts_).dump(-1, ' ', false, Json::error_handler_t::replace);
        std::string safe;
        safe.reserve(dumped.size());
        for (const char c : dumped) safe += c == '<' ? std::string("\\u003c") : std::string(1, c);
        return safe;
    }

private:
    std::map<std::string, std::size_t> indexOf_;
    std::vector<std::string> texts_;
};

// The ID with the name the ID databases give it, if they know it.
std::string namedId(const LineReport& report, const std::string& id) {
    const auto found = report.idNames.find(id);
    return found == report.idNames.end() ? escapeHtml(id)
                                         : escapeHtml(id) + " (" + escapeHtml(found->second) + ")";
}

// How a person knows an uncovered device: its comment in the ID file, else
// the name the ID databases give one of its IDs.
std::string deviceName(const LineReport& report, const IdDevice& device) {
    if (!device.comment.empty()) return device.comment;
    for (const std::string& id : device.ids)
        if (const auto found = report.idNames.find(id); found != report.idNames.end())
            return found->second;
    return {};
}

std::string deviceHtml(const LineReport& report, const IdDevice& device) {
    const std::string name = deviceName(report, device);
    std::string html = name.empty() ? std::string() : escapeHtml(name) + " ";
    for (const std::string& id : device.ids) html += "<code>" + escapeHtml(id) + "</code> ";
    return html;
}

std::string outcomeHtml(const ModelRun& run, const ModelSummary& summary) {
    std::string html = escapeHtml(run.outcome);
    if (summary.failed) html = "<span class=\"mark no-list-mark\">" + html + "</span>";
    if (run.noList) html += ": " + escapeHtml(*run.noList);
    if (!run.missingFiles.empty()) {
        html += ": the media lacks";
        for (const std::string& file : run.missingFiles) html += " " + escapeHtml(file);
    }
    return html;
}

std::string totalsHtml(const LineReport& report) {
    const LineTotals& t = report.totals;
    const auto flagged = [](std::size_t count, const std::string& text) {
        return count ? "<span class=\"bad\">" + text + "</span>" : text;
    };
    std::string html = "<p class=\"totals\" id=\"totals\">" + plural(t.models, "model", "models") +
                       ": " +
                       flagged(t.modelsNeedingAttention,
                               std::to_string(t.modelsNeedingAttention) + " need attention");
    if (t.failedModels)
        html += " (" + flagged(t.failedModels, std::to_string(t.failedModels) + " failed") + ")";
    html += " \u00B7 " + plural(t.entries, "entry", "entries") + ", " +
            flagged(t.deadEntries, plural(t.deadEntries, "dead", "dead")) + " \u00B7 " +
            flagged(t.uncoveredDevices,
                    plural(t.uncoveredDevices, "uncovered device", "uncovered devices")) +
            " \u00B7 " +
            flagged(t.entryProblems,
                    plural(t.entryProblems, "entry", "entries") + " with nothing to run") +
            " \u00B7 " + flagged(t.warnings, plural(t.warnings, "warning", "warnings")) +
            " \u00B7 status " + escapeHtml(report.status) + "</p>\n";
    return html;
}

std::string summaryRow(const LineReport& report, const ModelSummary& s, const PageModel& model) {
    const ModelRun& run = report.line->models[s.model];
    const std::string c = std::to_string(s.model);
    const auto figure = [](std::size_t count, const std::string& more = {}) {
        return std::string(count ? "<td class=\"bad\">" : "<td>") + std::to_string(count) + more +
               "</td>";
    };
    std::string html = "<tr class=\"" +
                       std::string(s.failed             ? "failed"
                                   : s.needsAttention() ? "attention"
                                                        : "fine") +
                       "\" data-model=\"" + model.name + "\"><th scope=\"row\"><a href=\"#col-" +
                       c + "\">" + model.label + "</a></th>";
    html += std::string(s.entries == 0 ? "<td class=\"bad\">" : "<td>") +
            std::to_string(s.entries) + "</td>";
    html += run.idsMatched ? figure(s.uncoveredDevices,
                                    "<small> of " + std::to_string(s.checkedDevices) + "</small>")
                           : "<td title=\"the list matches no IDs\">" +
                                 std::to_string(s.uncoveredDevices) + "</td>";
    html += figure(s.entryProblems) + figure(s.warnings);
    return html + "<td class=\"outcome\"><a href=\"#model-" + c + "\">" + outcomeHtml(run, s) +
           "</a></td></tr>\n";
}

// Those needing attention in a table of their own; the rest below, folded
// away when there are many.
std::string summaryTables(const LineReport& report, const std::vector<PageModel>& models) {
    const std::string head =
        "<table class=\"summary\"><thead><tr><th>Model</th><th>Entries</th><th>Uncovered "
        "devices</th>"
        "<th>Entries with nothing to "
        "run</th><th>Warnings</th><th>Outcome</th></tr></thead><tbody>\n";
    std::string attention, fine;
    std::size_t fineCount = 0;
    for (const ModelSummary& s : report.summary) {
        (s.needsAttention() ? attention : fine) += summaryRow(report, s, models[s.model]);
        fineCount += !s.needsAttention();
    }
    std::string html = "<h2 id=\"summary\">Models</h2>\n";
    if (!attention.empty()) html += head + attention + "</tbody></table>\n";
    if (!fine.empty()) {
        const std::string table = head + fine + "</tbody></table>\n";
        if (attention.empty())
            html += table;
        else
            html += "<details class=\"fine\"" + std::string(fineCount <= 10 ? " open" : "") +
                    "><summary>" + plural(fineCount, "model", "models") +
                    " without problems</summary>\n" + table + "</details>\n";
    }
    return html;
}

constexpr const char* kControls =
    "<div class=\"controls\" id=\"controls\" hidden>"
    "<label>Filter <input type=\"search\" id=\"filter\" size=\"28\" "
    "placeholder=\"words: section, NAME, TYPE, HARDID, device, model\"></label>"
    "<span>View <label><input type=\"radio\" name=\"view\" id=\"view-grid\" checked> entries "
    "\u00D7 models</label> <label><input type=\"radio\" name=\"view\" id=\"view-models\"> "
    "models as rows</label></span>"
    "<label><input type=\"checkbox\" id=\"grouped\"> identical lists grouped</label>"
    "<label><input type=\"checkbox\" id=\"details\"> entry details</label>"
    "<label><input type=\"checkbox\" id=\"dead-only\"> dead entries only</label>"
    "<label><input type=\"checkbox\" id=\"show-uncovered\" checked> uncovered devices</label>"
    "<span id=\"shown\"></span></div>\n";

std::string headerRow(const LineReport& report, const std::vector<PageModel>& models,
                      const std::vector<std::size_t>& groupOf) {
    std::string html =
        "<thead><tr><th scope=\"col\" class=\"entry\" data-sort=\"section\">Entry</th>";
    for (std::size_t c = 0; c < models.size(); ++c) {
        const PageModel& model = models[c];
        const ModelRun& run = report.line->models[c];
        html += "<th scope=\"col\" class=\"model\" id=\"col-" + std::to_string(c) +
                "\" data-sort=\"model:" + model.name + "\" data-label=\"" + model.label +
                "\" data-group=\"" + std::to_string(groupOf[c]) + "\" data-words=\"" + model.name +
                " " + model.display + "\">" + model.display;
        if (model.display != model.name)
            html += "<span class=\"model-name\">" + model.name + "</span>";
        if (!run.uncoveredDevices.empty())
            html += "<span class=\"mark uncovered-mark\">" +
                    std::to_string(run.uncoveredDevices.size()) + " uncovered</span>";
        if (!run.listWritten) html += "<span class=\"mark no-list-mark\">no list</span>";
        const std::vector<std::size_t>& group = report.identicalLists[groupOf[c]];
        if (group.size() > 1 && group.front() == c) {
            html += "<span class=\"members\">+ " + std::to_string(group.size() - 1) + " same:";
            for (std::size_t at = 1; at < group.size(); ++at) html += " " + models[group[at]].name;
            html += "</span>";
        }
        html += "</th>";
    }
    return html + "</tr></thead>\n";
}

std::string entryRow(const LineReport& report, const LineRow& row, std::size_t r,
                     TextIndex& texts) {
    const std::string order = std::to_string(r);
    const std::string section = escapeHtml(row.section), name = escapeHtml(row.name);
    const auto device = report.idNames.find(row.hardId);
    std::string html = "<tr class=\"entry" + std::string(row.dead() ? " dead" : "") +
                       "\" id=\"entry-" + order + "\" data-order=\"" + order + "\" data-id=\"" +
                       escapeHtml(row.id) + "\" data-s=\"" + section + "\" data-f=\"" +
                       escapeHtml(row.file) + "\" data-l=\"" + std::to_string(row.fileLine) +
                       "\" data-n=\"" + name + "\" data-t=\"" + escapeHtml(row.type) +
                       "\" data-h=\"" + escapeHtml(row.hardId) + "\"";
    if (device != report.idNames.end()) html += " data-dev=\"" + escapeHtml(device->second) + "\"";
    html += " data-r=\"";
    for (std::size_t m = 0; m < row.reasons.size(); ++m)
        html += (m ? " " : "") + std::to_string(texts.of(row.reasons[m]));
    html += "\"><th scope=\"row\" class=\"entry\"><b>" + section + "</b><span class=\"nm\">" +
            name + "</span>";
    std::string more = escapeHtml(row.file) + ":" + std::to_string(row.fileLine) + " \u00B7 TYPE " +
                       escapeHtml(row.type) + " \u00B7 HARDID " + namedId(report, row.hardId);
    if (row.dead()) {
        html += "<span class=\"mark dead-mark\">dead</span>";
        more += " \u00B7 " + escapeHtml(row.verdict().text);
    }
    html += "<span class=\"more\">" + more + "</span></th>";
    for (std::size_t m = 0; m < report.line->models.size(); ++m) {
        const std::optional<int>& position =
            m < row.positions.size() ? row.positions[m] : std::nullopt;
        const std::string* problem = position ? report.entryProblem(m, *position) : nullptr;
        html += problem ? "<td class=\"p\" data-p=\"" + std::to_string(texts.of(*problem)) + "\">"
                        : std::string("<td>");
        html += (position ? std::to_string(*position) : std::string()) + "</td>";
    }
    return html + "</tr>\n";
}

// One row per device no entry claims, with the models that have it: a
// device several models lack shows once.
std::string uncoveredTable(const LineReport& report, const std::vector<PageModel>& models) {
    if (report.uncoveredAcrossModels.empty()) return {};
    std::string html =
        "<table class=\"uncovered\" id=\"uncovered-devices\"><caption>Devices no "
        "listed entry claims</caption><thead><tr><th>Device</th><th>Models that "
        "have it</th></tr></thead><tbody>\n";
    for (const UncoveredDevice& uncovered : report.uncoveredAcrossModels) {
        std::string which, list;
        for (const std::size_t c : uncovered.models) {
            which += (which.empty() ? "" : " ") + std::to_string(c);
            list += (list.empty() ? "" : ", ") +
                    ("<a href=\"#model-" + std::to_string(c) + "\">" + models[c].label + "</a>");
        }
        html += "<tr data-models=\"" + which + "\"><th scope=\"row\">" +
                deviceHtml(report, *uncovered.device) + "</th><td>" + list + "</td></tr>\n";
    }
    return html + "</tbody></table>\n";
}

// Models as rows, each with its list in install order.
std::string byModelTable(const LineReport& report, const std::vector<PageModel>& models,
                         const std::vector<std::size_t>& groupOf) {
    std::string html =
        "<table class=\"by-model\" id=\"by-model\"><thead><tr><th>Model</th>"
        "<th>Outcome</th><th>The list in install order</th></tr></thead><tbody>\n";
    for (std::size_t c = 0; c < models.size(); ++c) {
        const ModelRun& run = report.line->models[c];
        html += "<tr id=\"row-" + std::to_string(c) + "\"><th scope=\"row\"><a href=\"#model-" +
                std::to_string(c) + "\">" + models[c].label + "</a>";
        const std::vector<std::size_t>& group = report.identicalLists[groupOf[c]];
        if (group.size() > 1 && group.front() == c) {
            html += "<span class=\"members\">and the same list:";
            for (std::size_t at = 1; at < group.size(); ++at) html += " " + models[group[at]].label;
            html += "</span>";
        }
        html += "</th><td>" + outcomeHtml(run, report.summaryOf(c)) + "</td><td><ol>";
        for (const auto& [position, row] : report.installOrder[c])
            html += "<li><i>" + std::to_string(position) + "</i>" +
                    escapeHtml(report.line->rows[row].section) + "</li>";
        html += "</ol></td></tr>\n";
    }
    return html + "</tbody></table>\n";
}

std::string modelsTable(const LineReport& report, const std::vector<PageModel>& models) {
    std::string html =
        "<h2 id=\"models\">Each model</h2>\n<table class=\"models\"><thead><tr>"
        "<th>Model</th><th>File</th><th>Windows</th><th>Kind</th><th>Entries</th>"
        "<th>Outcome</th><th>Uncovered devices</th><th>Nothing to run, warnings</th>"
        "</tr></thead>\n<tbody>\n";
    for (std::size_t c = 0; c < models.size(); ++c) {
        const ModelRun& run = report.line->models[c];
        html += "<tr id=\"model-" + std::to_string(c) + "\"><th scope=\"row\">" + models[c].label +
                "</th><td>" + escapeHtml(run.model.file.filename().string()) + "</td><td>" +
                escapeHtml(run.windows) + "</td><td>" + escapeHtml(run.kind) + "</td><td>" +
                std::to_string(run.entryCount) + "</td><td>" +
                outcomeHtml(run, report.summaryOf(c)) + "</td><td>";
        if (!run.uncoveredDevices.empty()) {
            html += "<ul>";
            for (const IdDevice& device : run.uncoveredDevices)
                html += "<li class=\"uncovered-device\">" + deviceHtml(report, device) + "</li>";
            html += "</ul>";
        }
        html += "</td><td>";
        if (!run.entryProblems.empty() || !run.warnings.empty()) {
            html += "<ul>";
            for (const auto& [position, why] : run.entryProblems)
                html += "<li>#" + std::to_string(position) + ": " + escapeHtml(why) + "</li>";
            for (const std::string& warning : run.warnings)
                html += "<li>" + escapeHtml(warning) + "</li>";
            html += "</ul>";
        }
        html += "</td></tr>\n";
    }
    return html + "</tbody></table>\n";
}

// The entry sections no model's run had as a candidate: listed apart,
// since nothing is wrong with them.
std::string notCandidatesSection(const LineRun& line) {
    std::string html;
    for (const LineRow& row : line.rows)
        if (!row.candidate())
            html += "<li>" + escapeHtml(row.section) + " (" + escapeHtml(row.file) + ":" +
                    std::to_string(row.fileLine) + ") " + escapeHtml(row.name) + ": " +
                    escapeHtml(row.verdict().text) + "</li>";
    return html.empty() ? html
                        : "<h2 id=\"not-candidates\">Not for this list (never dead)</h2>\n<ul>" +
                              html + "</ul>\n";
}

}  // namespace

std::string renderMatrixHtml(const LineReport& report) {
    const LineRun& line = *report.line;
    std::vector<PageModel> models;
    for (const ModelRun& run : line.models) models.push_back(pageModel(run));
    std::vector<std::size_t> groupOf(models.size());
    for (std::size_t g = 0; g < report.identicalLists.size(); ++g)
        for (const std::size_t m : report.identicalLists[g]) groupOf[m] = g;

    std::string body =
        "<h1>mfglist matrix</h1>\n" + htmlRunList(lineRunJson(*report.options, line.folder));
    body += totalsHtml(report) + summaryTables(report, models);
    body += "<h2 id=\"grid\">Entries by model</h2>\n" + std::string(kControls);
    body += "<div id=\"grid-view\"><table class=\"matrix\" id=\"matrix\">\n" +
            headerRow(report, models, groupOf) + "<tbody id=\"entries\">\n";
    TextIndex texts;
    for (std::size_t r = 0; r < line.rows.size(); ++r)
        if (line.rows[r].candidate()) body += entryRow(report, line.rows[r], r, texts);
    body += "</tbody>\n</table></div>\n";
    body += "<div id=\"models-view\" hidden>" + byModelTable(report, models, groupOf) + "</div>\n";
    body +=
        uncoveredTable(report, models) + modelsTable(report, models) + notCandidatesSection(line);
    body += "<script type=\"application/json\" id=\"reasons\">" + texts.json() + "</script>\n";
    body +=
        "<aside class=\"panel\" id=\"panel\" hidden><button type=\"button\" id=\"panel-close\">"
        "Close</button><h3 id=\"panel-title\"></h3><p id=\"panel-reason\"></p>"
        "<p id=\"panel-problem\" class=\"bad\"></p><a id=\"panel-model\" href=\"#models\">the "
        "model's detail</a></aside>\n";
    return renderHtmlPage(
        {"mfglist matrix: " + lineFolderName(line.folder), kMatrixStyle, body, kMatrixScript});
}

}  // namespace mfgtool
