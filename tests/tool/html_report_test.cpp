// The HTML reports as a browser shows them: headless Chromium loads the page
// from a file, runs its script and hands back the DOM, on which the tests
// count rows, columns and marks.  Only a Chromium that cannot start skips a
// test; a page that loads with a script error fails it.
#include <gtest/gtest.h>

#include <regex>

#include "present/html_report.h"
#include "support/tool/run_tool.h"

namespace mfgtool::test {
namespace {

using Json = nlohmann::ordered_json;

// The DOM after the page's script ran, or nullopt with `failure` set when
// Chromium did not start.  The profile lives in the scratch folder; the
// DOM is what Chromium prints.
std::optional<std::string> renderedDom(const ScratchFolder& scratch, const std::string& html,
                                       const std::string& fragment, std::string& failure) {
    const auto page = scratch.hostFolder() / "report.html";
    writeText(page, html);
    const std::vector<std::string> args = {
        "-k", "10", "90", "chromium", "--headless", "--no-sandbox", "--disable-gpu",
        "--no-first-run", "--disable-extensions",
        "--user-data-dir=" + (scratch.hostFolder() / "profile").string(), "--dump-dom",
        "file://" + page.string() + fragment};
    mfg::test::ChildProcess chromium("/usr/bin/timeout", args, {std::string(), true, true, {}});
    const int status = chromium.wait();
    const std::string& dom = chromium.output();
    if (status == 0 && dom.find("<body") != std::string::npos) return dom;
    failure = "chromium could not start: exit status " + std::to_string(status) + ": " +
              chromium.error().substr(0, 2000);
    return std::nullopt;
}

#define RENDER_OR_SKIP(dom, scratch, html, fragment)                           \
    std::string failure;                                                       \
    const auto dom = renderedDom(scratch, html, fragment, failure);            \
    if (!dom) GTEST_SKIP() << failure;                                         \
    EXPECT_NE(dom->find("data-ready=\"1\""), std::string::npos) << *dom;       \
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

Json cell(const Json& position, const std::string& reason) {
    return {{"position", position}, {"reason", reason}};
}

Json entry(const std::string& section, int line, const std::string& name, const std::string& hardid,
           std::vector<Json> cells) {
    bool dead = true;
    for (const Json& c : cells) dead = dead && c["position"].is_null();
    return {{"id", "DrvProc.ini:" + std::to_string(line) + ":" + section}, {"file", "DrvProc.ini"},
            {"section", section}, {"line", line}, {"name", name}, {"type", "DRV"},
            {"hardid", hardid}, {"dead", dead}, {"cells", cells}};
}

Json model(const std::string& name, const std::string& display, std::vector<std::string> uncovered,
           int count) {
    return {{"name", name}, {"display_name", display}, {"file", name + ".ids"}, {"windows", "xp"},
            {"kind", "driver"}, {"list_written", count > 0}, {"entry_count", count},
            {"uncovered_ids", uncovered},
            {"warnings", count > 0 ? Json::array() : Json::array({"the ID file is empty"})}};
}

// Four models, five entries (the fourth dead), three uncovered IDs over two
// models, a display name that tries markup and one in three scripts.
Json craftedMatrix() {
    const Json out = nullptr;
    Json matrix = {{"schema", 1}, {"command", "matrix"}, {"status", "gaps"}, {"exit_status", 0},
                   {"run", {{"mode", "cdrom"}, {"folder", "media"}}}};
    matrix["models"] = {model("m1", "Office 7010", {}, 3),
                        model("m2", "<script>alert(1)</script>", {"8086ABCD", "10EC8168"}, 2),
                        model("m3", "Bürorechner 東京", {"8086ABCD"}, 1),
                        model("m4", "m4", {}, 0)};
    matrix["entries"] = {
        entry("VGA", 10, "Video", "1A2B0001",
              {cell(1, "listed at 1"), cell(0, "listed at 0"), cell(out, "left out: no ID"),
               cell(out, "")}),
        entry("LAN", 20, "Network", "10EC0001",
              {cell(0, "listed at 0"), cell(out, "left out"), cell(0, "listed at 0"),
               cell(out, "")}),
        entry("AUDIO", 30, "Audio </td> \"x\"", "10EC0002",
              {cell(2, "listed at 2"), cell(1, "listed at 1 <b>"), cell(out, "left out"),
               cell(out, "")}),
        entry("OLD", 100, "Modem", "FFFF0000",
              {cell(out, "left out"), cell(out, "left out"), cell(out, "left out"), cell(out, "")}),
        entry("CARD", 50, "Card reader", "10EC0003",
              {cell(out, "a"), cell(out, "b"), cell(out, "c"), cell(out, "d")})};
    matrix["entries"][4]["cells"][0] = cell(3, "listed at 3");
    matrix["entries"][4]["dead"] = false;
    matrix["dead_entries"] = {"DrvProc.ini:100:OLD"};
    matrix["uncovered"] = 3;
    return matrix;
}

std::string tbody(const std::string& dom, const std::string& id) {
    const auto start = dom.find("<tbody id=\"" + id + "\"");
    return start == std::string::npos ? "" : dom.substr(start, dom.find("</tbody>", start) - start);
}

TEST(HtmlReport, MatrixPageShowsEveryEntryModelAndMark) {
    const ScratchFolder scratch{"tool", ScratchPlace::hostTemp};
    const std::string html = mfgtool::renderMatrixHtml(craftedMatrix());
    EXPECT_EQ(count(html, "https?:|\\ssrc="), 0u) << "the page must fetch nothing";
    RENDER_OR_SKIP(dom, scratch, html, "");

    EXPECT_EQ(count(tbody(*dom, "entries"), "<tr "), 5u);
    EXPECT_EQ(count(*dom, "<th [^>]*class=\"model[ \"]"), 4u);
    EXPECT_NE(dom->find("href=\"#why-2-1\" title=\"listed at 1 &lt;b&gt;\">1</a>"),
              std::string::npos);
    EXPECT_NE(dom->find("href=\"#why-0-2\" title=\"left out: no ID\"></a>"), std::string::npos);
    EXPECT_EQ(captures(*dom, "<tr class=\"entry dead\"[^>]*data-id=\"([^\"]*)\""),
              std::vector<std::string>{"DrvProc.ini:100:OLD"});
    EXPECT_EQ(count(*dom, "class=\"mark dead-mark\""), 1u);
    // One row per uncovered ID, marked under each model that lacks it.
    EXPECT_EQ(captures(tbody(*dom, "uncovered-ids"), "<th scope=\"row\">([^<]*)<"),
              (std::vector<std::string>{"10EC8168", "8086ABCD"}));
    EXPECT_EQ(count(tbody(*dom, "uncovered-ids"), "class=\"uncovered\""), 3u);
    // Text from the document is text, whatever it holds.
    EXPECT_EQ(count(*dom, "<script"), 1u);
    EXPECT_NE(dom->find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(dom->find("Audio &lt;/td&gt; \"x\""), std::string::npos);
    EXPECT_NE(dom->find("Bürorechner 東京"), std::string::npos);
}

TEST(HtmlReport, MatrixPageTakesSortAndFilterFromTheFragment) {
    const struct {
        const char* fragment;
        std::vector<std::string> order;  // sections, top to bottom
        std::size_t shown;
    } cases[] = {
        {"", {"VGA", "LAN", "AUDIO", "OLD", "CARD"}, 5},
        {"#sort=name", {"AUDIO", "CARD", "OLD", "LAN", "VGA"}, 5},
        {"#sort=-place", {"OLD", "CARD", "AUDIO", "LAN", "VGA"}, 5},  // 100 after 50
        // Models without the entry last, either way.
        {"#sort=model:m1", {"LAN", "VGA", "AUDIO", "CARD", "OLD"}, 5},
        {"#sort=-model:m2", {"AUDIO", "VGA", "LAN", "OLD", "CARD"}, 5},
        {"#dead=1", {"VGA", "LAN", "AUDIO", "OLD", "CARD"}, 1},
        {"#filter=10ec%20card", {"VGA", "LAN", "AUDIO", "OLD", "CARD"}, 1},
    };
    const std::string html = mfgtool::renderMatrixHtml(craftedMatrix());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fragment);
        const ScratchFolder scratch{"tool", ScratchPlace::hostTemp};
        RENDER_OR_SKIP(dom, scratch, html, c.fragment);
        const std::string rows = tbody(*dom, "entries");
        EXPECT_EQ(captures(rows, "<th scope=\"row\" data-key=\"([^\"]*)\""), c.order);
        EXPECT_EQ(count(rows, "<tr [^>]*>") - count(rows, "<tr [^>]* hidden[=>]"), c.shown);
    }
}

TEST(HtmlReport, ImpactPageListsChangedModelsFirstAndFoldsTheRest) {
    Json impact = {{"schema", 1}, {"command", "impact"}, {"status", "changed"}, {"exit_status", 1},
                   {"run", {{"old", "media@origin/main"}, {"new", "media"}}},
                   {"summary", {{"models", 3}, {"changed", 2}, {"text", "2 of 3 models change"}}}};
    const Json none = Json::array();
    impact["models"] = {
        {{"name", "m1"}, {"display_name", "Office"}, {"changed", false}, {"old_entry_count", 2},
         {"new_entry_count", 2}, {"added", none}, {"removed", none}, {"moved", none},
         {"changed_fields", none}},
        {{"name", "m2"}, {"display_name", "m2"}, {"changed", true}, {"old_entry_count", 2},
         {"new_entry_count", 2},
         {"added", {{{"position", 1}, {"section", "NEW_LAN"}, {"name", "LAN"}, {"hardid", "1"}}}},
         {"removed", {{{"position", 1}, {"section", "OLD_LAN"}, {"name", "LAN"}, {"hardid", "2"}}}},
         {"moved", {{{"section", "VGA"}, {"name", "Video"}, {"from", 0}, {"to", 1}}}},
         {"changed_fields",
          {{{"section", "VGA"}, {"name", "Video"}, {"position", 1}, {"key", "EXEPATH"},
            {"old", "a\\setup.exe"}, {"new", "</code><i>b</i>"}}}}},
        {{"name", "m3"}, {"display_name", "Lab"}, {"changed", true}, {"old_entry_count", 1},
         {"new_entry_count", 0}, {"added", none},
         {"removed", {{{"position", 0}, {"section", "VGA"}, {"name", "Video"}, {"hardid", "3"}}}},
         {"moved", none}, {"changed_fields", none}}};
    impact["changes"] = {
        {{"kind", "added"}, {"section", "NEW_LAN"}, {"name", "LAN"}, {"downgrade", true},
         {"models", {"m2"}}, {"replaces", "OLD_LAN"}, {"old_version", "7.021"}, {"new_version", "7.005"}},
        {{"kind", "unseen"}, {"section", "PANEL"}, {"name", "<b>Panel</b>"}, {"downgrade", false},
         {"models", none}, {"key", "PACKETNAME"}, {"old", "A"}, {"new", nullptr}}};
    impact["now_dead"] = {{{"id", "DrvProc.ini:9:OLD_LAN"}, {"file", "DrvProc.ini"}, {"line", 9},
                           {"section", "OLD_LAN"}, {"name", "LAN"}, {"new", false}, {"models", {"m2"}}}};
    const ScratchFolder scratch{"tool", ScratchPlace::hostTemp};
    RENDER_OR_SKIP(dom, scratch, mfgtool::renderImpactHtml(impact), "");

    EXPECT_NE(dom->find("<p class=\"summary\">2 of 3 models change</p>"), std::string::npos);
    // The view by change comes before the models, a release that goes down marked.
    EXPECT_LT(dom->find("<table class=\"changes\">"), dom->find("<section class=\"model changed\""));
    EXPECT_EQ(count(*dom, "<tr class=\"downgrade\">"), 1u);
    EXPECT_NE(dom->find("in place of OLD_LAN, VERSION \"7.021\" \u2192 \"7.005\"  VERSION GOES DOWN"),
              std::string::npos);
    EXPECT_NE(dom->find("&lt;b&gt;Panel&lt;/b&gt;"), std::string::npos);
    EXPECT_NE(dom->find("no model's list shows it"), std::string::npos);
    EXPECT_EQ(count(*dom, "<table class=\"now-dead\">"), 1u);
    EXPECT_EQ(captures(*dom, "<section class=\"model changed\" id=\"([^\"]*)\""),
              (std::vector<std::string>{"model-1", "model-2"}));
    for (const char* table : {"added", "moved", "changed-fields"})
        EXPECT_EQ(count(*dom, std::string("<table class=\"") + table + "\">"), 1u) << table;
    EXPECT_EQ(count(*dom, "<table class=\"removed\">"), 2u);
    EXPECT_NE(dom->find("&lt;/code&gt;&lt;i&gt;b&lt;/i&gt;"), std::string::npos);
    EXPECT_NE(dom->find("<details class=\"unchanged\"><summary>1 model unchanged</summary>"),
              std::string::npos);
    EXPECT_NE(dom->find("Office (m1): 2 entries"), std::string::npos);
}

}  // namespace
}  // namespace mfgtool::test
