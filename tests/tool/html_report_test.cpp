// The HTML reports as a browser shows them: headless Chromium loads the page
// from a file, runs its script and hands back the DOM, on which the tests
// count rows, columns and marks.  Only a Chromium that cannot start skips a
// test; a page that loads with a script error fails it.
#include <gtest/gtest.h>

#include <iostream>
#include <regex>

#include "crafted_line.h"
#include "line/impact.h"
#include "present/html_report.h"
#include "present/impact_model.h"
#include "tool_fixture.h"

namespace {

using mfgtool::test::ScratchFolder;
using mfgtool::test::ScratchPlace;
using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

// The DOM after the page's script ran, or nullopt with `failure` set when
// Chromium did not start.  The profile lives in the scratch folder; the
// DOM is what Chromium prints.
std::optional<std::string> renderedDom(const ScratchFolder& scratch, const std::string& html,
                                       const std::string& fragment, std::string& failure) {
    const auto page = scratch.hostFolder() / "report.html";
    mfgtool::test::writeText(page, html);
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

// Four models, five entries (the fourth dead), three uncovered IDs over two
// models, a display name that tries markup and one in three scripts.
std::string craftedMatrixHtml() {
    using mfgtool::test::craftedRow;
    const std::optional<int> out;
    std::vector<mfgtool::LineRow> rows = {
        craftedRow("VGA", 10, "1A2B0001", {1, 0, out, out}),
        craftedRow("LAN", 20, "10EC0001", {0, out, 0, out}),
        craftedRow("AUDIO", 30, "10EC0002", {2, 1, out, out}),
        craftedRow("OLD", 100, "FFFF0000", {out, out, out, out}),
        craftedRow("CARD", 50, "10EC0003", {3, out, out, out})};
    const char* const names[] = {"Video", "Network", "Audio </td> \"x\"", "Modem", "Card reader"};
    for (std::size_t r = 0; r < rows.size(); ++r) rows[r].name = names[r];
    rows[0].reasons[2] = "left out: no ID";
    rows[2].reasons[1] = "listed at 1 <b>";
    const mfgtool::IdDevice intel{"", {"8086ABCD"}}, realtek{"", {"10EC8168"}};
    const mfgtool::LineRun line = mfgtool::test::craftedLine(
        {{"m1", 3, {}, mfgtool::kOutcomeWritten, {}, {}, "Office 7010"},
         {"m2", 2, {intel, realtek}, mfgtool::kOutcomeWritten, {}, {}, "<script>alert(1)</script>"},
         {"m3", 1, {intel}, mfgtool::kOutcomeWritten, {}, {}, "Bürorechner 東京"},
         {"m4", 0, {}, mfgtool::kOutcomeEmpty, {}, {"the ID file is empty"}}},
        std::move(rows));
    mfgtool::LineOptions options;
    options.cdrom = true;
    options.folder = "media";
    return mfgtool::renderMatrixHtml(mfgtool::buildLineReport(options, line, "gaps", 0, nullptr));
}

std::string tbody(const std::string& dom, const std::string& id) {
    const auto start = dom.find("<tbody id=\"" + id + "\"");
    return start == std::string::npos ? "" : dom.substr(start, dom.find("</tbody>", start) - start);
}

TEST(HtmlReport, MatrixPageShowsEveryEntryModelAndMark) {
    const ScratchFolder scratch{"tool", ScratchPlace::hostTemp};
    const std::string html = craftedMatrixHtml();
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
    const std::string html = craftedMatrixHtml();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fragment);
        const ScratchFolder scratch{"tool", ScratchPlace::hostTemp};
        RENDER_OR_SKIP(dom, scratch, html, c.fragment);
        const std::string rows = tbody(*dom, "entries");
        EXPECT_EQ(captures(rows, "<th scope=\"row\" data-key=\"([^\"]*)\""), c.order);
        EXPECT_EQ(count(rows, "<tr [^>]*>") - count(rows, "<tr [^>]* hidden[=>]"), c.shown);
    }
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
        oldLan.line = 9;
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
    const mfgtool::ImpactReport report =
        mfgtool::buildImpactReport(crafted.options, crafted.impact, "media@origin/main", "media", 1);
    const ScratchFolder scratch{"tool", ScratchPlace::hostTemp};
    const std::string html = mfgtool::renderImpactHtml(report);
    EXPECT_EQ(count(html, "https?:|\\ssrc="), 0u) << "the page must fetch nothing";
    RENDER_OR_SKIP(dom, scratch, html, "");

    EXPECT_NE(dom->find("<p class=\"summary\">2 of 3 models change, 1 device loses its driver</p>"),
              std::string::npos);
    // The summary before the changes, the changes before the models; the
    // model that loses a driver and lists an entry a host cannot run first.
    EXPECT_LT(dom->find("<table class=\"impact-summary\""), dom->find("<table class=\"changes\">"));
    EXPECT_LT(dom->find("<table class=\"changes\">"), dom->find("<section class=\"model changed\""));
    EXPECT_EQ(captures(*dom, "<tr data-model=\"([^\"]*)\""), (std::vector<std::string>{"m2", "m3"}));
    EXPECT_EQ(count(*dom, "<tr data-model=\"m2\" class=\"attention\">"), 1u);
    const auto figures = [&](const std::string& model) {
        const std::size_t at = dom->find("<tr data-model=\"" + model + "\"");
        return captures(dom->substr(at, dom->find("</tr>", at) - at), "data-member=\"[a-z_]+\">([0-9]+)<");
    };
    EXPECT_EQ(figures("m2"), (std::vector<std::string>{"1", "1", "1", "1", "1", "0", "1"}));
    EXPECT_EQ(figures("m3"), (std::vector<std::string>{"0", "1", "0", "0", "0", "0", "0"}));
    // Each change links to its models and each model back to its changes.
    EXPECT_NE(dom->find("<tr id=\"change-0\" class=\"downgrade\">"), std::string::npos);
    EXPECT_NE(dom->find("in place of OLD_LAN, VERSION \"7.021\" \u2192 \"7.005\"  VERSION GOES DOWN"),
              std::string::npos);
    EXPECT_NE(dom->find("<td class=\"models\">1: <a href=\"#model-1\">m2</a></td>"), std::string::npos);
    EXPECT_NE(dom->find("<a href=\"#change-2\">removed VGA</a>"), std::string::npos);
    EXPECT_NE(dom->find("no model's list shows it"), std::string::npos);
    expectLinksResolve(*dom);
    EXPECT_EQ(captures(*dom, "<section class=\"model changed\" id=\"([^\"]*)\""),
              (std::vector<std::string>{"model-1", "model-2"}));
    for (const char* table : {"added", "moved", "changed-fields", "now-dead", "lost-drivers", "entry-problems"})
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
        EXPECT_EQ(count(*dom, "<details class=\"unchanged\" id=\"unchanged\" open"), open ? 1u : 0u);
    }
}

// A picture of the page as a browser of `width` pixels shows it, for people
// to look at beside the build; nothing is asserted on it.
void screenshot(const ScratchFolder& scratch, const fs::path& page, int width, const fs::path& png) {
    fs::create_directories(png.parent_path());
    const std::vector<std::string> args = {
        "-k", "10", "90", "chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
        "--disable-extensions", "--hide-scrollbars",
        "--user-data-dir=" + (scratch.hostFolder() / "shot-profile").string(),
        "--window-size=" + std::to_string(width) + ",1100", "--screenshot=" + png.string(),
        "file://" + page.string()};
    mfg::test::ChildProcess chromium("/usr/bin/timeout", args, {std::string(), true, true, {}});
    if (chromium.wait() == 0 && fs::exists(png)) std::cout << "screenshot: " << png.string() << '\n';
}

class HtmlImpactOfTheExampleLine : public mfgtool::test::ToolTest {};

// The example line before and after the walk-through's change: the card
// reader's HARDID corrected (the Office 7010 loses its driver) and the
// modem driver renamed.  The page's summary says what the JSON says.
TEST_F(HtmlImpactOfTheExampleLine, SummaryFiguresAreTheJsonsAndEveryLinkLands) {
    const fs::path changed = scratch / "media";
    fs::copy(cdrom(), changed);
    std::string text = mfgtool::test::readText(changed / "DrvProc.ini");
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"HARDID=7A8B3000C0DE0101", "HARDID=7A8B3000C0DE0102"},
                                   {"NAME=Modem driver", "NAME=Modem driver, new"}}) {
        ASSERT_NE(text.find(from), std::string::npos) << from;
        text.replace(text.find(from), from.size(), to);
    }
    mfgtool::test::writeText(changed / "DrvProc.ini", text);
    const fs::path page = scratch / "impact.html";
    const auto outcome = mfgtool::test::runTool({"impact", cdrom().string(), changed.string(), "--cdrom", "--models",
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
                 for (auto it = std::sregex_iterator(row.begin(), row.end(), re); it != std::sregex_iterator(); ++it)
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
        screenshot(scratchFolder, page, width,
                   fs::path(MFGLIST_SCREENSHOT_FOLDER) / ("impact-" + std::to_string(width) + ".png"));
}

}  // namespace
