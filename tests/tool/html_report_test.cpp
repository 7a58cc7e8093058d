// The HTML reports as a browser shows them: headless Chromium loads the page
// from a file, runs its script and hands back the DOM, on which the tests
// count rows, columns and marks; a probe script added to the page measures
// what only the browser knows (where a cell is drawn, when the page loaded).
// Only a Chromium that cannot start skips a test; a page that loads with a
// script error fails it.
#include <gtest/gtest.h>

#include <iostream>
#include <regex>

#include "ids/id_devices.h"
#include "line/line_impact.h"
#include "line/share_run.h"
#include "present/html_report.h"
#include "present/impact_model.h"
#include "present/matrix_report.h"
#include "support/tool/run_tool.h"
#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

std::vector<std::string> chromiumArgs(const ScratchFolder& scratch, int width, int height) {
    return {"-k",
            "10",
            "90",
            "chromium",
            "--headless",
            "--no-sandbox",
            "--disable-gpu",
            "--no-first-run",
            "--disable-extensions",
            "--hide-scrollbars",
            "--window-size=" + std::to_string(width) + "," + std::to_string(height),
            "--user-data-dir=" + (scratch.hostFolder() / "profile").string()};
}

// The page with `probe` run when it has loaded; what the probe puts into
// `result` comes back as the body's data-probe attribute.
std::string withProbe(std::string html, const std::string& probe) {
    if (probe.empty()) return html;
    const std::string script =
        "<script>window.addEventListener(\"load\", function () {\n"
        "var result = {};\n" +
        probe + "\ndocument.body.dataset.probe = JSON.stringify(result);\n});</script>\n";
    html.insert(html.rfind("</body>"), script);
    return html;
}

// The DOM after the page's script ran, or nullopt with `failure` set when
// Chromium did not start.  The profile lives in the scratch folder; the
// DOM is what Chromium prints.
std::optional<std::string> renderedDom(const ScratchFolder& scratch, const std::string& html,
                                       std::string& failure, const std::string& fragment,
                                       int width = 1280, const std::string& probe = {}) {
    const auto page = scratch.hostFolder() / "report.html";
    mfgtool::test::writeText(page, withProbe(html, probe));
    std::vector<std::string> args = chromiumArgs(scratch, width, 900);
    args.push_back("--dump-dom");
    args.push_back("file://" + page.string() + fragment);
    mfg::test::ChildProcess chromium("/usr/bin/timeout", args, {std::string(), true, true, {}});
    const int status = chromium.wait();
    const std::string& dom = chromium.output();
    if (status == 0 && dom.find("<body") != std::string::npos) return dom;
    failure = "chromium could not start: exit status " + std::to_string(status) + ": " +
              chromium.error().substr(0, 2000);
    return std::nullopt;
}

// The top of the page as a person sees it in a window of `width` by
// `height` pixels, for people to look at: nothing is asserted on its pixels.
void screenshot(const ScratchFolder& scratch, const std::string& html, int width, int height,
                const fs::path& png) {
    const auto page = scratch.hostFolder() / "shot.html";
    mfgtool::test::writeText(page, html);
    fs::create_directories(png.parent_path());
    std::vector<std::string> args = chromiumArgs(scratch, width, height);
    args.push_back("--screenshot=" + png.string());
    args.push_back("file://" + page.string());
    mfg::test::ChildProcess chromium("/usr/bin/timeout", args, {std::string(), true, true, {}});
    EXPECT_EQ(chromium.wait(), 0) << chromium.error();
}

#define RENDER_OR_SKIP(dom, scratch, html, ...)                          \
    std::string failure;                                                 \
    const auto dom = renderedDom(scratch, html, failure, __VA_ARGS__);   \
    if (!dom) GTEST_SKIP() << failure;                                   \
    EXPECT_NE(dom->find("data-ready=\"1\""), std::string::npos) << *dom; \
    EXPECT_EQ(dom->find("data-error="), std::string::npos) << *dom

std::size_t count(const std::string& text, const std::string& pattern) {
    const std::regex re(pattern);
    return std::distance(std::sregex_iterator(text.begin(), text.end(), re),
                         std::sregex_iterator());
}

std::vector<std::string> captures(const std::string& text, const std::string& pattern) {
    const std::regex re(pattern);
    std::vector<std::string> found;
    const std::sregex_iterator end;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != end; ++it)
        found.push_back((*it)[1]);
    return found;
}

// What the probe put into `result`.
Json probed(const std::string& dom) {
    std::smatch found;
    if (!std::regex_search(dom, found, std::regex("data-probe=\"([^\"]*)\""))) return nullptr;
    std::string text = found[1];
    for (const auto& [entity, c] : {std::pair<std::string, std::string>{"&quot;", "\""},
                                    {"&lt;", "<"},
                                    {"&gt;", ">"},
                                    {"&amp;", "&"}})
        for (std::size_t at; (at = text.find(entity)) != std::string::npos;)
            text.replace(at, entity.size(), c);
    return Json::parse(text);
}

std::string tbody(const std::string& dom, const std::string& id) {
    const auto start = dom.find("<tbody id=\"" + id + "\"");
    return start == std::string::npos ? "" : dom.substr(start, dom.find("</tbody>", start) - start);
}

// ---- a line made up in memory ----------------------------------------------

struct MadeLine {
    mfgtool::LineOptions options;
    mfgtool::LineRun line;
    mfgtool::LineReport report() const {
        return mfgtool::buildLineReport(options, line, "gaps", 0, nullptr);
    }
};

mfgtool::ModelRun madeModel(const std::string& name, const std::string& display,
                            std::size_t entries) {
    mfgtool::ModelRun run;
    run.model.name = name;
    run.model.file = name + ".ids";
    run.displayName = display;
    run.windows = "xp";
    run.kind = "driver";
    run.listWritten = entries > 0;
    run.entryCount = entries;
    run.outcome = entries > 0 ? mfgtool::kOutcomeWritten : mfgtool::kOutcomeEmpty;
    run.idsMatched = true;
    run.devices = 4;
    return run;
}

// One entry section; `positions` per model, -1 for not listed.
mfgtool::LineRow madeRow(const std::string& section, std::uint64_t line, const std::string& name,
                         const std::string& hardId, const std::vector<int>& positions) {
    using mfgtool::SectionOutcome;
    mfgtool::LineRow row;
    row.id = "DrvProc.ini:" + std::to_string(line) + ":" + section;
    row.file = "DrvProc.ini";
    row.section = section;
    row.fileLine = line;
    row.name = name;
    row.type = "DRV";
    row.hardId = hardId;
    for (const int position : positions) {
        row.positions.push_back(position < 0 ? std::nullopt : std::optional<int>(position));
        row.outcomes.push_back(position < 0 ? SectionOutcome::noDevice : SectionOutcome::listed);
        row.reasons.push_back(position < 0 ? "left out: no ID of the model matches " + hardId
                                           : "listed at " + std::to_string(position));
        row.others.emplace_back();
    }
    return row;
}

// Five models (m5's list is m1's), five entries (OLD dead, one named after
// a place with "lan" inside a word), uncovered devices over two models, a
// display name that tries markup and one in three scripts.
MadeLine craftedLine() {
    MadeLine made;
    made.options.models = "models";
    made.options.cdrom = true;
    made.line.folder = "/media";
    auto& models = made.line.models;
    models = {madeModel("m1", "Office 7010", 3), madeModel("m2", "<script>alert(1)</script>", 2),
              madeModel("m3", "Bürorechner 東京", 1), madeModel("m4", "m4", 0),
              madeModel("m5", "Office 5010", 3)};
    models[1].uncoveredDevices = {{"", {"8086ABCD"}},
                                  {"Realtek network card", {"10EC8168", "10EC8169"}}};
    models[2].uncoveredDevices = {{"", {"8086ABCD"}}};
    models[1].entryProblems = {{1, "nothing to run for xp </script><b>"}};
    models[3].warnings = {"the ID file is empty"};
    made.line.rows = {madeRow("VGA", 10, "Video", "1A2B0001", {1, 0, -1, -1, 1}),
                      madeRow("LAN", 20, "Network", "10EC0001", {0, -1, 0, -1, 0}),
                      madeRow("AUDIO", 30, "Audio </td> \"x\"", "10EC0002", {2, 1, -1, -1, 2}),
                      madeRow("OLD", 100, "Norrland modem", "FFFF0000", {-1, -1, -1, -1, -1}),
                      madeRow("CARD", 50, "Card reader", "10EC0003", {3, -1, -1, -1, 3})};
    return made;
}

// `models` models over `entries` entries, a factory's line: twenty kinds of
// model (the models of one kind have the same list), each lacking a device
// or two, every reason a sentence of its own per entry and position.
MadeLine bigLine(std::size_t models, std::size_t entries) {
    MadeLine made;
    made.options.models = "models";
    made.options.cdrom = true;
    made.line.folder = "/media";
    for (std::size_t m = 0; m < models; ++m) {
        char name[32];
        std::snprintf(name, sizeof name, "model-%04zu", m);
        mfgtool::ModelRun run = madeModel(name, "Desktop " + std::to_string(m), 0);
        run.devices = 40;
        run.uncoveredDevices = {{"Network controller of kind " + std::to_string(m % 20),
                                 {"10EC" + std::to_string(8100 + m % 20)}}};
        made.line.models.push_back(run);
    }
    for (std::size_t r = 0; r < entries; ++r) {
        std::vector<int> positions;
        for (std::size_t m = 0; m < models; ++m)
            positions.push_back((7 * r + m % 20) % 20 < 6 ? -1 : static_cast<int>(r));
        char hardId[16];
        std::snprintf(hardId, sizeof hardId, "%04zX%04zX", 0x1000 + r % 50, r);
        made.line.rows.push_back(madeRow("DRV_" + std::to_string(r), 10 * r + 1,
                                         "Driver for device " + std::to_string(r), hardId,
                                         positions));
    }
    for (std::size_t m = 0; m < models; ++m)
        for (const auto& row : made.line.rows)
            made.line.models[m].entryCount += row.positions[m].has_value();
    for (auto& run : made.line.models) run.listWritten = run.entryCount > 0;
    return made;
}

TEST(HtmlReport, MatrixPageShowsTheSummaryFirstAndEveryEntryModelAndMark) {
    const ScratchFolder scratch{"tool", ScratchPlace::hostTemp};
    const MadeLine made = craftedLine();
    mfgtool::LineReport report = made.report();
    report.idNames = {{"10EC8169", "Realtek RTL8111/8168 PCI Express Gigabit Ethernet"},
                      {"1A2B0001", "Graphics <b>adapter</b>"}};
    const std::string html = mfgtool::renderMatrixHtml(report);
    EXPECT_EQ(count(html, "https?:|\\ssrc="), 0u) << "the page must fetch nothing";
    // A click on AUDIO's cell of m2 shows its reason and why it cannot run.
    RENDER_OR_SKIP(dom, scratch, html, "", 1280, R"js(
document.querySelector("#entries tr[data-s=AUDIO]").cells[2].click();
result.title = document.getElementById("panel-title").textContent;
result.reason = document.getElementById("panel-reason").textContent;
result.problem = document.getElementById("panel-problem").textContent;)js");
    EXPECT_EQ(probed(*dom),
              (Json{{"title", "<script>alert(1)</script> (m2) \u00B7 AUDIO (DrvProc.ini:30)"},
                    {"reason", "listed at 1"},
                    {"problem", "Nothing to run: nothing to run for xp </script><b>"}}));

    // The models needing attention first, as the report orders them: the
    // run without a list before those with gaps.
    EXPECT_EQ(captures(*dom, "<tr class=\"(?:failed|attention|fine)\" data-model=\"([^\"]*)\""),
              (std::vector<std::string>{"m4", "m2", "m3", "m1", "m5"}));
    EXPECT_LT(dom->find("id=\"summary\""), dom->find("id=\"matrix\""));
    EXPECT_EQ(count(tbody(*dom, "entries"), "<tr "), 5u);
    EXPECT_EQ(count(*dom, "<th [^>]*class=\"model[ \"]"), 5u);
    EXPECT_EQ(captures(*dom, "<tr class=\"entry dead\"[^>]*data-id=\"([^\"]*)\""),
              std::vector<std::string>{"DrvProc.ini:100:OLD"});
    EXPECT_EQ(count(*dom, "class=\"mark dead-mark\""), 1u);
    // A cell is its position; the one a host cannot run is marked.
    EXPECT_NE(dom->find("<b>AUDIO</b>"), std::string::npos);
    EXPECT_EQ(count(tbody(*dom, "entries"), "<td class=\"p\" data-p=\"\\d+\">1</td>"), 1u);
    // A device several models lack shows once, named.
    EXPECT_EQ(count(*dom, "<tr data-models=\"1 2\"><th scope=\"row\"><code>8086ABCD</code>"), 1u);
    EXPECT_NE(dom->find("Realtek network card <code>10EC8168</code>"), std::string::npos);
    EXPECT_NE(dom->find("HARDID 1A2B0001 (Graphics &lt;b&gt;adapter&lt;/b&gt;)"),
              std::string::npos);
    // Text from the run is text, whatever it holds.
    EXPECT_EQ(count(*dom, "<script"), 3u);  // the page's, its reasons and the probe
    EXPECT_NE(dom->find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(dom->find("Audio &lt;/td&gt; \"x\""), std::string::npos);
    EXPECT_NE(dom->find("Bürorechner 東京"), std::string::npos);
}

TEST(HtmlReport, MatrixPageTakesSortFilterAndViewFromTheFragment) {
    const struct {
        const char* fragment;
        std::vector<std::string> order;  // sections, top to bottom
        std::vector<std::string> shown;  // sections not hidden
        const char* counts;              // what the page says it shows
    } cases[] = {
        {"",
         {"VGA", "LAN", "AUDIO", "OLD", "CARD"},
         {"VGA", "LAN", "AUDIO", "OLD", "CARD"},
         "5 of 5 entries, 5 of 5 models"},
        {"#sort=name",
         {"AUDIO", "CARD", "LAN", "OLD", "VGA"},
         {"AUDIO", "CARD", "LAN", "OLD", "VGA"},
         "5 of 5 entries"},
        {"#sort=-place",
         {"OLD", "CARD", "AUDIO", "LAN", "VGA"},
         {"OLD", "CARD", "AUDIO", "LAN", "VGA"},
         "5 of 5"},
        // Models without the entry last, either way.
        {"#sort=model:m1",
         {"LAN", "VGA", "AUDIO", "CARD", "OLD"},
         {"LAN", "VGA", "AUDIO", "CARD", "OLD"},
         "5 of 5"},
        {"#sort=-model:m2",
         {"AUDIO", "VGA", "LAN", "OLD", "CARD"},
         {"AUDIO", "VGA", "LAN", "OLD", "CARD"},
         "5 of 5"},
        {"#dead=1", {"VGA", "LAN", "AUDIO", "OLD", "CARD"}, {"OLD"}, "1 of 5 entries"},
        // Whole words and their beginnings: "lan" is not inside "Norrland".
        {"#filter=lan",
         {"VGA", "LAN", "AUDIO", "OLD", "CARD"},
         {"LAN"},
         "1 of 5 entries, 5 of 5 models"},
        {"#filter=NET", {"VGA", "LAN", "AUDIO", "OLD", "CARD"}, {"LAN"}, "1 of 5 entries"},
        {"#filter=land",
         {"VGA", "LAN", "AUDIO", "OLD", "CARD"},
         {},
         "0 of 5 entries, 0 of 5 models"},
        {"#filter=10ec%20card", {"VGA", "LAN", "AUDIO", "OLD", "CARD"}, {"CARD"}, "1 of 5 entries"},
        // A device's name and a model's name are words of a cell too.
        {"#filter=realtek", {"VGA", "LAN", "AUDIO", "OLD", "CARD"}, {"VGA"}, "1 of 5 entries"},
        {"#filter=office%20vid",
         {"VGA", "LAN", "AUDIO", "OLD", "CARD"},
         {"VGA"},
         "1 of 5 entries, 2 of 5 models"},
        {"#filter=b%C3%BCrorechner",
         {"VGA", "LAN", "AUDIO", "OLD", "CARD"},
         {"VGA", "LAN", "AUDIO", "OLD", "CARD"},
         "5 of 5 entries, 1 of 5 models"},
    };
    MadeLine made = craftedLine();
    mfgtool::LineReport report = made.report();
    report.idNames = {{"1A2B0001", "Realtek graphics"}};
    const std::string html = mfgtool::renderMatrixHtml(report);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fragment);
        const ScratchFolder scratch{"tool", ScratchPlace::hostTemp};
        RENDER_OR_SKIP(dom, scratch, html, c.fragment);
        const std::string rows = tbody(*dom, "entries");
        EXPECT_EQ(captures(rows, "<tr [^>]*data-s=\"([^\"]*)\""), c.order);
        EXPECT_EQ(captures(rows, "<tr (?![^>]*hidden)[^>]*data-s=\"([^\"]*)\""), c.shown);
        EXPECT_NE(dom->find(c.counts), std::string::npos)
            << captures(*dom, "id=\"shown\">([^<]*)<")[0];
    }
}

TEST(HtmlReport, MatrixPageShowsModelsAsRowsAndGroupsIdenticalLists) {
    const struct {
        const char* fragment;
        bool modelsView;
        std::vector<std::string> shownModelRows;
        std::vector<std::string> hiddenColumns;  // the grid's
    } cases[] = {
        {"", false, {"row-0", "row-1", "row-2", "row-3", "row-4"}, {}},
        {"#view=models", true, {"row-0", "row-1", "row-2", "row-3", "row-4"}, {}},
        // m5's list is m1's: one row and one column for both.
        {"#view=models&group=1", true, {"row-0", "row-1", "row-2", "row-3"}, {}},
        {"#view=grid&group=1", false, {"row-0", "row-1", "row-2", "row-3"}, {"col-4"}},
        // Grouped, a group's first model stands for every model the filter leaves.
        {"#group=1&filter=office", false, {"row-0"}, {"col-1", "col-2", "col-3", "col-4"}},
    };
    const MadeLine made = craftedLine();
    const std::string html = mfgtool::renderMatrixHtml(made.report());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fragment);
        const ScratchFolder scratch{"tool", ScratchPlace::hostTemp};
        RENDER_OR_SKIP(dom, scratch, html, c.fragment);
        EXPECT_EQ(dom->find("<div id=\"models-view\" hidden") == std::string::npos, c.modelsView);
        EXPECT_EQ(dom->find("<div id=\"grid-view\" hidden") == std::string::npos, !c.modelsView);
        EXPECT_EQ(captures(*dom, "<tr id=\"(row-\\d+)\">"), c.shownModelRows);
        EXPECT_EQ(captures(*dom, "<th [^>]*id=\"(col-\\d+)\"[^>]*style=\"display: none;\""),
                  c.hiddenColumns);
        // Each entry row hides the same columns as the heading.
        EXPECT_EQ(count(tbody(*dom, "entries"), "<td[^>]*style=\"display: none;\""),
                  5 * c.hiddenColumns.size());
    }
    // The group's heading names the models it stands for.
    EXPECT_NE(html.find("<span class=\"members\">and the same list: Office 5010 (m5)</span>"),
              std::string::npos);
}

// The example catalogue's page beside its JSON: the same figures per model;
// at 800 pixels a model column drawn beside the entries; screenshots at
// 1600 and 800 pixels for people to look at.
class HtmlExamplePage : public mfgtool::test::ToolTest {};

TEST_F(HtmlExamplePage, SummaryAgreesWithTheJsonAndAModelColumnFitsBesideTheEntries) {
    const fs::path page = scratch / "matrix.html";
    const mfgtool::test::Outcome outcome = mfgtool::test::runTool(
        {"matrix", cdrom().string(), "--cdrom", "--models", (examples() / "models").string(),
         "--json", "--html", page.string()});
    ASSERT_LE(outcome.status, 1) << outcome.err;
    const Json json = Json::parse(outcome.out);
    const std::string html = mfgtool::test::readText(page);
    const ScratchFolder browser{"tool", ScratchPlace::hostTemp};
    {
        RENDER_OR_SKIP(dom, browser, html, "");
        const std::regex row(
            "<tr class=\"[a-z]+\" data-model=\"([^\"]*)\"><th[^>]*>.*?</th>"
            "<td[^>]*>(\\d+)</td><td[^>]*>(\\d+).*?</td><td[^>]*>(\\d+)</td>"
            "<td[^>]*>(\\d+)</td><td class=\"outcome\"><a [^>]*>(?:<span[^>]*>)?([a-z-]+)");
        std::map<std::string, std::vector<std::string>> shown;
        for (auto it = std::sregex_iterator(dom->begin(), dom->end(), row);
             it != std::sregex_iterator(); ++it)
            shown[(*it)[1]] = {(*it)[2], (*it)[3], (*it)[4], (*it)[5], (*it)[6]};
        ASSERT_EQ(shown.size(), json["models"].size());
        for (const Json& model : json["models"]) {
            SCOPED_TRACE(model["name"].get<std::string>());
            EXPECT_EQ(shown[model["name"]],
                      (std::vector<std::string>{std::to_string(model["entry_count"].get<int>()),
                                                std::to_string(model["uncovered_devices"].size()),
                                                std::to_string(model["entry_problems"].size()),
                                                std::to_string(model["warnings"].size()),
                                                model["outcome"].get<std::string>()}));
        }
    }
    // Where the first model's cells are drawn, against the entry column and the window.
    const std::string probe = R"js(
var entry = document.querySelector("#entries tr:not([hidden]) th").getBoundingClientRect();
result.window = document.documentElement.clientWidth;
result.entryRight = entry.right;
result.inside = 0;
result.columns = 0;
document.querySelectorAll("#matrix thead th.model").forEach(function (th, c) {
  var box = th.getBoundingClientRect();
  if (box.left >= entry.right - 1 && box.right <= result.window) ++result.columns;
});
document.querySelectorAll("#entries tr:not([hidden])").forEach(function (row) {
  var box = row.cells[1].getBoundingClientRect();
  if (box.width > 0 && box.left >= entry.right - 1 && box.right <= result.window) ++result.inside;
});
result.rows = document.querySelectorAll("#entries tr:not([hidden])").length;)js";
    for (const int width : {800, 1600}) {
        SCOPED_TRACE(width);
        RENDER_OR_SKIP(dom, browser, html, "#view=grid", width, probe);
        const Json box = probed(*dom);
        ASSERT_TRUE(box.is_object()) << *dom;
        EXPECT_GT(box["rows"].get<int>(), 0);
        EXPECT_EQ(box["inside"], box["rows"]) << box.dump();
        if (width == 1600) {
            EXPECT_EQ(box["columns"].get<std::size_t>(), json["models"].size()) << box.dump();
        }
        std::cout << "[ figures  ] " << width << " px: " << box["columns"] << " of "
                  << json["models"].size() << " model columns beside the entries\n";
    }
    const fs::path shots = MFGLIST_TEST_PAGES_FOLDER;
    screenshot(browser, html, 1600, 1000, shots / "matrix-1600.png");
    screenshot(browser, html, 800, 1300, shots / "matrix-800.png");  // down to the grid
}

TEST(HtmlReport, MatrixPageOfTwoHundredModelsStaysSmallAndFast) {
    const MadeLine made = bigLine(200, 60);
    const std::string html = mfgtool::renderMatrixHtml(made.report());
    EXPECT_LT(html.size(), 1000000u);
    // A reason many cells share is written once, whatever the cells.
    EXPECT_EQ(count(html, "left out: no ID of the model matches 10000000"), 1u);
    const ScratchFolder scratch{"tool", ScratchPlace::hostTemp};
    RENDER_OR_SKIP(dom, scratch, html, "", 1280,
                   "result.load = performance.getEntriesByType(\"navigation\")[0].loadEventStart;");
    const Json figures = probed(*dom);
    ASSERT_TRUE(figures.is_object());
    std::cout << "[ figures  ] 200 models x 60 entries: page " << html.size() / 1024 << " KB, "
              << "navigation to load " << figures["load"].get<double>() << " ms\n";
    // Too many models for their columns: models as rows, twenty groups.
    EXPECT_NE(dom->find("<div id=\"grid-view\" hidden"), std::string::npos);
    EXPECT_EQ(count(*dom, "<tr id=\"row-\\d+\">"), 20u);
}

// Three models over a crafted comparison: m1 unchanged, m2 with one of each
// change and a device that loses its driver, m3 losing its only entry.
struct CraftedImpact {
    mfgtool::LineOptions options;
    std::vector<mfgtool::ModelRun> before, after;
    mfgtool::LineRow oldLan;
    mfgtool::LineImpact impact;

    CraftedImpact() : before(3), after(3) {
        const char* names[][2] = {{"m1", "Office"}, {"m2", "m2"}, {"m3", "Lab"}};
        for (std::size_t m = 0; m < 3; ++m)
            for (mfgtool::ModelRun* run : {&before[m], &after[m]}) {
                run->model.name = names[m][0];
                run->displayName = names[m][1];
                run->listWritten = true;
            }
        after[1].entryProblems = {{0, "the program <x> is not on the media"}};
        const auto list = [](std::vector<std::vector<std::string>> entries) {
            mfgtool::ComparedList compared;
            for (const auto& e : entries) {
                compared.entries.push_back({{"NAME", e[1]}, {"HARDID", e[2]}, {"EXEPATH", e[3]}});
                compared.sections.push_back(e[0]);
            }
            return compared;
        };
        impact.models.resize(3);
        for (std::size_t m = 0; m < 3; ++m) {
            impact.models[m].before = &before[m];
            impact.models[m].after = &after[m];
        }
        impact.models[0].oldList = impact.models[0].newList = list({{"VGA", "Video", "1", "a"}});
        mfgtool::ModelImpact& m2 = impact.models[1];
        m2.oldList = list({{"VGA", "Video", "3", "a\\setup.exe"}, {"OLD_LAN", "LAN", "2", "x"}});
        m2.newList = list({{"NEW_LAN", "LAN", "2", "x"}, {"VGA", "Video", "3", "</code><i>b</i>"}});
        m2.diff.added = {0};
        m2.diff.removed = {1};
        m2.diff.matched = {{0, 1, "Video", true, {{"EXEPATH", "a\\setup.exe", "</code><i>b</i>"}}}};
        m2.replaces = {0};
        m2.lostDrivers = {{"Card reader", {"7A8B3000C0DE0101"}}};
        m2.changed = true;
        mfgtool::ModelImpact& m3 = impact.models[2];
        m3.oldList = list({{"VGA", "Video", "3", "a"}});
        m3.diff.removed = {0};
        m3.changed = true;
        impact.changed = 2;
        mfgtool::SectionChange added;
        added.kind = mfgtool::SectionChange::Kind::added;
        added.section = "NEW_LAN";
        added.name = "LAN";
        added.replaces = "OLD_LAN";
        added.replacedVersion = "7.021";
        added.version = "7.005";
        added.downgrade = true;
        added.models = {1};
        mfgtool::SectionChange unseen;
        unseen.kind = mfgtool::SectionChange::Kind::unseen;
        unseen.section = "PANEL";
        unseen.name = "<b>Panel</b>";
        unseen.key = "PACKETNAME";
        unseen.before = "A";
        mfgtool::SectionChange removed;
        removed.kind = mfgtool::SectionChange::Kind::removed;
        removed.section = "VGA";
        removed.name = "Video";
        removed.models = {2};
        impact.changes = {added, unseen, removed};
        oldLan.id = "DrvProc.ini:9:OLD_LAN";
        oldLan.file = "DrvProc.ini";
        oldLan.section = "OLD_LAN";
        oldLan.fileLine = 9;
        oldLan.name = "LAN";
        impact.lifeChanges = {{&oldLan, true, false, {1}}};
    }
};

// Every in-page link of the DOM leads to an element of it.
void expectLinksResolve(const std::string& dom) {
    const std::vector<std::string> targets = captures(dom, "href=\"#([^\"]+)\"");
    EXPECT_FALSE(targets.empty());
    for (const std::string& target : targets)
        EXPECT_NE(dom.find("id=\"" + target + "\""), std::string::npos) << "#" + target;
}

TEST(HtmlReport, ImpactPageSummaryFirstThenChangesLinkedToTheirModels) {
    const CraftedImpact crafted;
    const mfgtool::ImpactReport report = mfgtool::buildImpactReport(
        crafted.options, crafted.impact, "media@origin/main", "media", 1);
    const ScratchFolder scratch{"tool", ScratchPlace::hostTemp};
    const std::string html = mfgtool::renderImpactHtml(report);
    EXPECT_EQ(count(html, "https?:|\\ssrc="), 0u) << "the page must fetch nothing";
    RENDER_OR_SKIP(dom, scratch, html, "");

    EXPECT_NE(dom->find("<p class=\"summary\">2 of 3 models change, 1 device loses its driver</p>"),
              std::string::npos);
    // The summary before the changes, the changes before the models; the
    // model that loses a driver and lists an entry a host cannot run first.
    EXPECT_LT(dom->find("<table class=\"impact-summary\""), dom->find("<table class=\"changes\">"));
    EXPECT_LT(dom->find("<table class=\"changes\">"),
              dom->find("<section class=\"model changed\""));
    EXPECT_EQ(captures(*dom, "<tr data-model=\"([^\"]*)\""),
              (std::vector<std::string>{"m2", "m3"}));
    EXPECT_EQ(count(*dom, "<tr data-model=\"m2\" class=\"attention\">"), 1u);
    const auto figures = [&](const std::string& model) {
        const std::size_t at = dom->find("<tr data-model=\"" + model + "\"");
        return captures(dom->substr(at, dom->find("</tr>", at) - at),
                        "data-member=\"[a-z_]+\">([0-9]+)<");
    };
    EXPECT_EQ(figures("m2"), (std::vector<std::string>{"1", "1", "1", "1", "1", "0", "1"}));
    EXPECT_EQ(figures("m3"), (std::vector<std::string>{"0", "1", "0", "0", "0", "0", "0"}));
    // Each change links to its models and each model back to its changes.
    EXPECT_NE(dom->find("<tr id=\"change-0\" class=\"downgrade\">"), std::string::npos);
    EXPECT_NE(
        dom->find("in place of OLD_LAN, VERSION \"7.021\" \u2192 \"7.005\"  VERSION GOES DOWN"),
        std::string::npos);
    EXPECT_NE(dom->find("<td class=\"models\">1: <a href=\"#model-1\">m2</a></td>"),
              std::string::npos);
    EXPECT_NE(dom->find("<a href=\"#change-2\">removed VGA</a>"), std::string::npos);
    EXPECT_NE(dom->find("no model's list shows it"), std::string::npos);
    expectLinksResolve(*dom);
    EXPECT_EQ(captures(*dom, "<section class=\"model changed\" id=\"([^\"]*)\""),
              (std::vector<std::string>{"model-1", "model-2"}));
    for (const char* table :
         {"added", "moved", "changed-fields", "now-dead", "lost-drivers", "entry-problems"})
        EXPECT_EQ(count(*dom, std::string("<table class=\"") + table + "\">"), 1u) << table;
    EXPECT_EQ(count(*dom, "<table class=\"removed\">"), 2u);
    // Text from the comparison is text, whatever it holds.
    EXPECT_EQ(count(*dom, "<script"), 1u);
    EXPECT_NE(dom->find("&lt;b&gt;Panel&lt;/b&gt;"), std::string::npos);
    EXPECT_NE(dom->find("&lt;/code&gt;&lt;i&gt;b&lt;/i&gt;"), std::string::npos);
    EXPECT_NE(dom->find("the program &lt;x&gt; is not on the media"), std::string::npos);
    EXPECT_NE(dom->find("<summary>1 model unchanged</summary>"), std::string::npos);
    EXPECT_NE(dom->find("Office (m1): 1 entries"), std::string::npos);
}

TEST(HtmlReport, ImpactPageOpensTheFoldALinkLeadsInto) {
    const CraftedImpact crafted;
    const mfgtool::ImpactReport report =
        mfgtool::buildImpactReport(crafted.options, crafted.impact, "old", "media", 1);
    for (const auto& [fragment, open] : {std::pair{"", false}, std::pair{"#model-0", true}}) {
        SCOPED_TRACE(fragment);
        const ScratchFolder scratch{"tool", ScratchPlace::hostTemp};
        RENDER_OR_SKIP(dom, scratch, mfgtool::renderImpactHtml(report), fragment);
        EXPECT_EQ(count(*dom, "<details class=\"unchanged\" id=\"unchanged\" open"),
                  open ? 1u : 0u);
    }
}

// A picture of the page as a browser of `width` pixels shows it, for people
// to look at beside the build; nothing is asserted on it.
void screenshotOfFile(const ScratchFolder& scratch, const fs::path& page, int width,
                      const fs::path& png) {
    fs::create_directories(png.parent_path());
    const std::vector<std::string> args = {
        "-k",
        "10",
        "90",
        "chromium",
        "--headless",
        "--no-sandbox",
        "--disable-gpu",
        "--no-first-run",
        "--disable-extensions",
        "--hide-scrollbars",
        "--user-data-dir=" + (scratch.hostFolder() / "shot-profile").string(),
        "--window-size=" + std::to_string(width) + ",1100",
        "--screenshot=" + png.string(),
        "file://" + page.string()};
    mfg::test::ChildProcess chromium("/usr/bin/timeout", args, {std::string(), true, true, {}});
    if (chromium.wait() == 0 && fs::exists(png))
        std::cout << "screenshot: " << png.string() << '\n';
}

class HtmlImpactOfTheExampleLine : public mfgtool::test::ToolTest {};

// The example line before and after the walk-through's change: the card
// reader's HARDID corrected (the Office 7010 loses its driver) and the
// modem driver renamed.  The page's summary says what the JSON says.
TEST_F(HtmlImpactOfTheExampleLine, SummaryFiguresAreTheJsonsAndEveryLinkLands) {
    const fs::path changed = scratch / "media";
    fs::copy(cdrom(), changed);
    std::string text = mfgtool::test::readText(changed / "DrvProc.ini");
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{"HARDID=7A8B3000C0DE0101", "HARDID=7A8B3000C0DE0102"},
          {"NAME=Modem driver", "NAME=Modem driver, new"}}) {
        ASSERT_NE(text.find(from), std::string::npos) << from;
        text.replace(text.find(from), from.size(), to);
    }
    mfgtool::test::writeText(changed / "DrvProc.ini", text);
    const fs::path page = scratch / "impact.html";
    const auto outcome = mfgtool::test::runTool(
        {"impact", cdrom().string(), changed.string(), "--cdrom", "--models",
         (examples() / "models").string(), "--json", "--html", page.string()});
    ASSERT_EQ(outcome.status, 1) << outcome.err;
    const Json impact = Json::parse(outcome.out);
    ASSERT_EQ(impact["summary"]["changed"], 2) << outcome.out;

    RENDER_OR_SKIP(dom, scratchFolder, mfgtool::test::readText(page), "");
    std::size_t rows = 0;
    for (const Json& model : impact["models"]) {
        const std::string name = model["name"].get<std::string>();
        const std::size_t at = dom->find("<tr data-model=\"" + name + "\"");
        if (!model["changed"].get<bool>()) {
            EXPECT_EQ(at, std::string::npos) << name;
            continue;
        }
        ++rows;
        ASSERT_NE(at, std::string::npos) << name;
        const std::string row = dom->substr(at, dom->find("</tr>", at) - at);
        for (const auto& [member, figure] : [&] {
                 std::vector<std::pair<std::string, std::string>> pairs;
                 const std::regex re("data-member=\"([a-z_]+)\">([0-9]+)<");
                 for (auto it = std::sregex_iterator(row.begin(), row.end(), re);
                      it != std::sregex_iterator(); ++it)
                     pairs.emplace_back((*it)[1], (*it)[2]);
                 return pairs;
             }())
            EXPECT_EQ(figure, std::to_string(model[member].size())) << name << " " << member;
    }
    EXPECT_EQ(rows, 2u);
    expectLinksResolve(*dom);
    const std::size_t fold = dom->find("<details class=\"unchanged\"");
    ASSERT_NE(fold, std::string::npos);
    EXPECT_EQ(count(dom->substr(fold, dom->find("</details>", fold) - fold), "<li id=\"model-"),
              impact["models"].size() - 2);

    for (const int width : {1600, 800})
        screenshotOfFile(
            scratchFolder, page, width,
            fs::path(MFGLIST_SCREENSHOT_FOLDER) / ("impact-" + std::to_string(width) + ".png"));
}

}  // namespace
}  // namespace mfgtool::test
