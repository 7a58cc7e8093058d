// The impact page: what a change to the process files does to each model's
// list.  The changed models come first, each with its tables; the unchanged
// ones fold into one list, since a reviewer only needs to know they are.
#include <string>
#include <vector>

#include "html_page.h"
#include "html_report.h"
#include "impact_report.h"
#include "report.h"
#include "ids/id_devices.h"

namespace mfgtool {
namespace {

constexpr const char* kImpactStyle = R"css(
section.model { border-top: 2px solid #8aa; margin-top: 1.2rem; }
section.model h2 { margin-top: .6rem; }
section.model h3 { font-size: 1rem; margin: .6rem 0 .2rem; }
.model-name { font: 12px ui-monospace, monospace; color: #444; }
.changed-mark { color: #a50; }
table.added thead th { background: #dff0df; }
table.removed thead th { background: #f6dede; }
td.old code { color: #900; }
td.new code { color: #060; }
details.unchanged { margin-top: 1.2rem; }
details.unchanged summary { font-weight: 600; cursor: pointer; }
tr.downgrade td { background: #fbe3c8; }
)css";

// Printing opens the folded list, so that paper shows every model.
constexpr const char* kImpactScript = R"js(
var folded = [];
window.addEventListener("beforeprint", function () {
  folded = Array.prototype.slice.call(document.querySelectorAll("details:not([open])"));
  folded.forEach(function (details) { details.open = true; });
});
window.addEventListener("afterprint", function () {
  folded.forEach(function (details) { details.open = false; });
});
)js";

struct Column {
    const char* header;
    const char* key;
    const char* cellClass;  // "" or a class; values of a classed column show as code
};

std::string changeTable(const char* kind, const char* caption, const Json& rows,
                        const std::vector<Column>& columns) {
    if (rows.empty()) return {};
    std::string html = "<h3>" + std::string(caption) + " (" + std::to_string(rows.size()) +
                       ")</h3>\n<table class=\"" + kind + "\"><thead><tr>";
    for (const Column& column : columns)
        html += "<th scope=\"col\">" + std::string(column.header) + "</th>";
    html += "</tr></thead><tbody>\n";
    for (const Json& row : rows) {
        html += "<tr>";
        for (const Column& column : columns) {
            const std::string text = htmlMember(row, column.key);
            html += *column.cellClass
                        ? "<td class=\"" + std::string(column.cellClass) + "\"><code>" + text +
                              "</code></td>"
                        : "<td>" + text + "</td>";
        }
        html += "</tr>\n";
    }
    return html + "</tbody></table>\n";
}

std::string changedModel(const Json& model, std::size_t index) {
    const HtmlModel shown = htmlModel(model);
    std::string html = "<section class=\"model changed\" id=\"model-" + std::to_string(index) +
                       "\"><h2>" + shown.display;
    if (shown.display != shown.name)
        html += " <span class=\"model-name\">" + shown.name + "</span>";
    html += "<span class=\"mark changed-mark\">changes</span></h2>\n<p>Entries: " +
            htmlMember(model, "old_entry_count") + " \u2192 " +
            htmlMember(model, "new_entry_count") + "</p>\n";
    const std::vector<Column> placed = {
        {"Position", "position", ""}, {"Section", "section", ""}, {"NAME", "name", ""},
        {"HARDID", "hardid", ""}};
    html += changeTable("added", "Added", arrayOf(model, "added"), placed);
    html += changeTable("removed", "Removed", arrayOf(model, "removed"), placed);
    html += changeTable("moved", "Moved in the install order", arrayOf(model, "moved"),
                        {{"Section", "section", ""}, {"NAME", "name", ""}, {"From", "from", ""},
                         {"To", "to", ""}});
    html += changeTable("changed-fields", "Fields changed", arrayOf(model, "changed_fields"),
                        {{"Position", "position", ""}, {"Section", "section", ""},
                         {"NAME", "name", ""}, {"Key", "key", ""}, {"Old", "old", "old"},
                         {"New", "new", "new"}});
    return html + "</section>\n";
}

std::string modelList(const Json& names) {
    std::string text;
    for (const Json& name : names)
        if (name.is_string()) text += (text.empty() ? "" : ", ") + escapeHtml(name.get<std::string>());
    return text;
}

// The view by change: each change once, with the models whose list shows
// it, then the entries that no model gets any more or some model gets again.
std::string changeView(const Json& impact) {
    std::string html;
    const Json& changes = arrayOf(impact, "changes");
    if (!changes.empty()) {
        html += "<section class=\"by-change\"><h2>By change (" + std::to_string(changes.size()) +
                ")</h2>\n<table class=\"changes\"><thead><tr><th scope=\"col\">Change</th>"
                "<th scope=\"col\">Section</th><th scope=\"col\">NAME</th><th scope=\"col\">What</th>"
                "<th scope=\"col\">Models</th></tr></thead><tbody>\n";
        for (const Json& change : changes) {
            const Json& models = arrayOf(change, "models");
            html += std::string("<tr") + (memberOf(change, "downgrade") == true ? " class=\"downgrade\"" : "") +
                    "><td>" + htmlMember(change, "kind") + "</td><td>" + htmlMember(change, "section") +
                    "</td><td>" + htmlMember(change, "name") + "</td><td>" +
                    escapeHtml(changeDetail(change, " \u2192 ")) + "</td><td>" +
                    (models.empty() ? std::string("no model's list shows it")
                                    : std::to_string(models.size()) + ": " + modelList(models)) +
                    "</td></tr>\n";
        }
        html += "</tbody></table></section>\n";
    }
    const std::vector<Column> entry = {{"File", "file", ""}, {"Line", "line", ""},
                                       {"Section", "section", ""}, {"NAME", "name", ""}};
    html += changeTable("now-dead", "Entries no model gets any more", arrayOf(impact, "now_dead"), entry);
    html += changeTable("live-again", "Entries some model gets again", arrayOf(impact, "live_again"), entry);
    return html;
}

// What the change does to the machines, one row each: a model's device
// that loses or gains its driver, an entry the new list names that a host
// cannot run.
std::string consequences(const Json& impact) {
    std::string rows;
    std::size_t count = 0;
    for (const Json& model : arrayOf(impact, "models")) {
        const std::string name = htmlModel(model).label;
        const auto row = [&](const char* what, const std::string& html) {
            rows += "<tr><td>" + name + "</td><td>" + what + "</td><td>" + html + "</td></tr>\n";
            ++count;
        };
        for (const Json& device : arrayOf(model, "devices_losing_driver"))
            row("loses its driver", escapeHtml(deviceText(deviceFromJson(device))));
        for (const Json& device : arrayOf(model, "devices_gaining_driver"))
            row("gains a driver", escapeHtml(deviceText(deviceFromJson(device))));
        for (const Json& entry : arrayOf(model, "entry_problems"))
            row(memberOf(entry, "new") == true ? "cannot run (new)" : "cannot run",
                "#" + htmlMember(entry, "position") + " [" + htmlMember(entry, "section") + "] " +
                    htmlMember(entry, "name") + ": " + htmlMember(entry, "problem"));
    }
    if (!count) return {};
    return "<section class=\"consequences\"><h2>For the machines (" + std::to_string(count) +
           ")</h2>\n<table class=\"consequences\"><thead><tr><th scope=\"col\">Model</th>"
           "<th scope=\"col\">What</th><th scope=\"col\">Device or entry</th></tr></thead><tbody>\n" +
           rows + "</tbody></table></section>\n";
}

}  // namespace

std::string renderImpactHtml(const Json& impact) {
    const Json& summary = memberOf(impact, "summary");
    std::string body = "<h1>mfglist impact</h1>\n" + htmlRunList(memberOf(impact, "run"));
    body += "<p class=\"summary\">" + htmlMember(summary, "text") + "</p>\n";
    if (memberOf(impact, "error").is_string())
        body += "<p class=\"error\">" + htmlMember(impact, "error") + "</p>\n";

    body += consequences(impact);
    body += changeView(impact);
    const Json& models = arrayOf(impact, "models");
    std::string unchanged;
    std::size_t unchangedCount = 0;
    for (std::size_t index = 0; index < models.size(); ++index) {
        const Json& model = models[index];
        if (memberOf(model, "changed") == true) {
            body += changedModel(model, index);
        } else {
            ++unchangedCount;
            unchanged += "<li id=\"model-" + std::to_string(index) + "\">" +
                         htmlModel(model).label + ": " + htmlMember(model, "new_entry_count") +
                         " entries</li>\n";
        }
    }
    if (unchangedCount > 0)
        body += "<details class=\"unchanged\"><summary>" + std::to_string(unchangedCount) +
                (unchangedCount == 1 ? " model" : " models") +
                " unchanged</summary>\n<ul>\n" + unchanged + "</ul></details>\n";
    std::string title = "mfglist impact";
    if (memberOf(summary, "text").is_string())
        title += ": " + memberOf(summary, "text").get<std::string>();
    return renderHtmlPage({title, kImpactStyle, body, kImpactScript});
}

}  // namespace mfgtool
