// The messages between `matrix`/`impact` and their model workers: every
// member survives the trip through JSON text, and a message that lacks a
// member or holds it as another type is refused with the member named.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <tuple>

#include "common/json_text.h"
#include "line/worker_protocol.h"

namespace mfgtool::test {
namespace {

auto fields(const SectionPlace& p) { return std::tie(p.file, p.section, p.line); }

void expectSame(const ModelResult& a, const ModelResult& b) {
    EXPECT_EQ(std::tie(a.exitStatus, a.error, a.windows, a.listWritten, a.entryCount, a.noList,
                       a.outcome, a.outcomeStatus, a.missingFiles, a.entryProblems, a.sameAsCore,
                       a.folderForLibrary, a.idsMatched),
              std::tie(b.exitStatus, b.error, b.windows, b.listWritten, b.entryCount, b.noList,
                       b.outcome, b.outcomeStatus, b.missingFiles, b.entryProblems, b.sameAsCore,
                       b.folderForLibrary, b.idsMatched));
    ASSERT_EQ(a.sections.size(), b.sections.size());
    for (std::size_t i = 0; i < a.sections.size(); ++i) {
        const SectionInRun &x = a.sections[i], &y = b.sections[i];
        EXPECT_EQ(fields(x.place), fields(y.place)) << i;
        EXPECT_EQ(std::tie(x.position, x.reason, x.outcome),
                  std::tie(y.position, y.reason, y.outcome))
            << i;
        ASSERT_EQ(x.other.has_value(), y.other.has_value()) << i;
        if (x.other) {
            EXPECT_EQ(fields(*x.other), fields(*y.other)) << i;
        }
    }
    ASSERT_EQ(a.coverage.has_value(), b.coverage.has_value());
    if (!a.coverage) return;
    EXPECT_EQ(std::tie(a.coverage->devices, a.coverage->ignored, a.coverage->uncoveredIds),
              std::tie(b.coverage->devices, b.coverage->ignored, b.coverage->uncoveredIds));
    ASSERT_EQ(a.coverage->uncoveredDevices.size(), b.coverage->uncoveredDevices.size());
    for (std::size_t i = 0; i < a.coverage->uncoveredDevices.size(); ++i)
        EXPECT_EQ(
            std::tie(a.coverage->uncoveredDevices[i].comment, a.coverage->uncoveredDevices[i].ids),
            std::tie(b.coverage->uncoveredDevices[i].comment, b.coverage->uncoveredDevices[i].ids));
}

// Two models that share places and a reason, every member away from its
// default, and a third that could not run.
WorkerResult sampleResult() {
    const SectionPlace vga{"DrvProc.ini", "VGA_Ü", 51}, lan{"DrvProc.ini", "LAN", 7};
    ModelResult model;
    model.windows = "vista";
    model.listWritten = true;
    model.entryCount = 3;
    model.noList = "no entry matched";
    model.outcome = "missing-files";
    model.outcomeStatus = 6;
    model.missingFiles = {"DrvCofg.ini"};
    model.entryProblems = {{2, "a macro is left"}};
    model.sameAsCore = false;
    model.folderForLibrary = "C:\\proc\\";
    model.sections = {{vga, 0, "listed", SectionOutcome::listed, std::nullopt},
                      {lan, std::nullopt, "shadowed by VGA_Ü", SectionOutcome::shadowed, vga}};
    model.idsMatched = true;
    model.coverage = ShownCoverage{4, 1, {{"Audio", {"PCI\\VEN_1&DEV_2"}}}, {"PCI\\VEN_1&DEV_2"}};
    ModelResult second = model;
    second.sections = {{lan, 1, "shadowed by VGA_Ü", SectionOutcome::replaced, std::nullopt}};
    second.coverage.reset();
    ModelResult failed;
    failed.exitStatus = 3;
    failed.error = "the library lacks MFG_CreateIniFile";
    return WorkerResult{{model, second, failed}};
}

// `text` with the first `from` made `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// `text` refused, the complaint naming `named`.
void expectRefused(const std::string& text, const char* what, const char* named) {
    try {
        readWorkerResult(text);
        ADD_FAILURE() << what << ": read without complaint";
    } catch (const ProtocolError& e) {
        EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << what << ": " << e.what();
    }
}

// The values another writer may spell otherwise, each read as what it
// stands for.
TEST(ToolWorkerProtocol, ReadsEachSpellingOfAValue) {
    const std::string text = workerResultText(sampleResult());
    const struct {
        const char* spelled;  // the first reason
        std::string reason;
    } cases[] = {
        {R"("\b\f\n\r\t\/\"\\")", "\b\f\n\r\t/\"\\"},
        {R"("\u0041\u00e9\u20AC\ud83d\ude00")", "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {R"("\u0000x")", std::string("\0x", 2)},
    };
    for (const auto& c : cases) {
        const WorkerResult got = readWorkerResult(replaced(text, "\"listed\"", c.spelled));
        EXPECT_EQ(got.models[0].sections[0].reason, c.reason) << c.spelled;
    }
    const WorkerResult got =
        readWorkerResult(replaced(text, "{\"exit_status\":0,", "{ \"exit_status\" : -0 ,"));
    EXPECT_EQ(std::tie(got.models[0].exitStatus, got.models[0].windows),
              std::make_tuple(0, std::string("vista")));
}

TEST(ToolWorkerProtocol, ResultSurvivesTheTripThroughText) {
    const WorkerResult sent = sampleResult();
    const std::string text = workerResultText(sent);
    EXPECT_EQ(jsonText(Json::parse(text)), text) << "compact, members in the written order";
    EXPECT_EQ(Json::parse(text)["places"].size(), 2u) << "each place written once per share";
    const WorkerResult got = readWorkerResult(text);
    ASSERT_EQ(got.models.size(), sent.models.size());
    for (std::size_t m = 0; m < sent.models.size(); ++m) {
        SCOPED_TRACE(m);
        expectSame(sent.models[m], got.models[m]);
    }
}

// Results of many shapes, their texts full of what a JSON string must
// escape or carry as UTF-8 of every length, and places and reasons shared
// between sections and models as a real share's are.
class RandomResults {
public:
    explicit RandomResults(unsigned seed) : random_(seed) {}

    WorkerResult next() {
        WorkerResult result;
        const std::vector<SectionPlace> places = {{text(), text(), number()},
                                                  {"DrvProc.ini", text(), number()}};
        const std::vector<std::string> reasons = {text(), text(), "listed"};
        for (std::size_t m = pick(4); m-- > 0;) {
            ModelResult model;
            if (pick(5) == 0) {
                model.exitStatus = 1 + static_cast<int>(pick(6));
                model.error = text();
                result.models.push_back(std::move(model));
                continue;
            }
            model.windows = text();
            model.listWritten = pick(2);
            model.entryCount = number();
            if (pick(2)) model.noList = text();
            model.outcome = text();
            model.outcomeStatus = static_cast<int>(pick(7));
            for (std::size_t i = pick(3); i-- > 0;) model.missingFiles.push_back(text());
            for (std::size_t i = pick(3); i-- > 0;)
                model.entryProblems.emplace_back(static_cast<int>(number()), text());
            model.sameAsCore = pick(2);
            model.folderForLibrary = text();
            for (std::size_t i = pick(6); i-- > 0;) {
                SectionInRun section{places[pick(2)], std::nullopt, reasons[pick(3)],
                                     static_cast<SectionOutcome>(pick(9)), std::nullopt};
                if (pick(2)) section.position = static_cast<int>(number());
                if (pick(2)) section.other = places[pick(2)];
                model.sections.push_back(std::move(section));
            }
            model.idsMatched = pick(2);
            if (pick(2))
                model.coverage =
                    ShownCoverage{number(), number(), {{text(), {text(), text()}}}, {text()}};
            result.models.push_back(std::move(model));
        }
        return result;
    }

private:
    std::size_t pick(std::size_t below) { return random_() % below; }
    std::size_t number() { return pick(2) ? pick(100) : random_() % 4000000000u; }
    std::string text() {
        static const char* const pieces[] = {"a",
                                             "Z",
                                             " ",
                                             "\"",
                                             "\\",
                                             "/",
                                             "\n",
                                             "\t",
                                             "\x01",
                                             "\x7f",
                                             "\xc3\xbc",
                                             "\xe2\x82\xac",
                                             "\xf0\x9f\x98\x80",
                                             "\\u0041",
                                             "[]",
                                             "{}",
                                             ",:"};
        std::string out;
        for (std::size_t i = pick(8); i-- > 0;) out += pieces[pick(std::size(pieces))];
        return out;
    }

    std::mt19937 random_;
};

TEST(ToolWorkerProtocol, ResultsOfEveryShapeSurviveTheTrip) {
    RandomResults results(2026);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        const WorkerResult sent = results.next();
        const std::string text = workerResultText(sent);
        ASSERT_EQ(jsonText(Json::parse(text)), text);
        const WorkerResult got = readWorkerResult(text);
        ASSERT_EQ(got.models.size(), sent.models.size());
        for (std::size_t m = 0; m < sent.models.size(); ++m)
            expectSame(sent.models[m], got.models[m]);
    }
}

TEST(ToolWorkerProtocol, ShareSurvivesTheTripThroughText) {
    const WorkerShare sent{{{"software", "xp", "A.ids", "/tmp/list-0.ini"},
                            {"all-software", std::nullopt, std::nullopt, "/tmp/list-1.ini"}}};
    const WorkerShare got = readWorkerShare(workerShareText(sent));
    ASSERT_EQ(got.models.size(), 2u);
    for (std::size_t m = 0; m < 2; ++m)
        EXPECT_EQ(std::tie(got.models[m].kind, got.models[m].windows, got.models[m].idsFile,
                           got.models[m].list),
                  std::tie(sent.models[m].kind, sent.models[m].windows, sent.models[m].idsFile,
                           sent.models[m].list));
}

TEST(ToolWorkerProtocol, RefusesAMessageNamingTheMember) {
    const struct {
        const char* what;
        std::function<void(Json&)> spoil;
        const char* named;
    } cases[] = {
        {"member renamed", [](Json& j) { j["models"][0].erase("list_written"); },
         "models[0]: lacks the member \"list_written\""},
        {"number as text", [](Json& j) { j["models"][0]["entry_count"] = "3"; },
         "models[0].entry_count: is not a whole number"},
        {"flag as number", [](Json& j) { j["models"][1]["same_as_core"] = 0; },
         "models[1].same_as_core: is not true or false"},
        {"place out of the table", [](Json& j) { j["models"][0]["sections"][1][4] = 9; },
         "models[0].sections[1][4]: names no place"},
        {"reason out of the table", [](Json& j) { j["models"][0]["sections"][0][2] = 5; },
         "models[0].sections[0][2]: names no reason"},
        {"unknown outcome", [](Json& j) { j["models"][0]["sections"][0][3] = "gone"; },
         "models[0].sections[0][3]: names no outcome"},
        {"short section", [](Json& j) { j["models"][0]["sections"][0].erase(4); },
         "models[0].sections[0]: holds 4 items, not 5"},
        {"device lacks IDs",
         [](Json& j) { j["models"][0]["coverage"]["uncovered_devices"][0].erase("ids"); },
         "models[0].coverage.uncovered_devices[0]: lacks the member \"ids\""},
        {"error lacks its words", [](Json& j) { j["models"][2].erase("error"); },
         "models[2]: lacks the member \"error\""},
        {"negative count", [](Json& j) { j["models"][0]["entry_count"] = -1; },
         "models[0].entry_count: is out of range"},
        {"no places", [](Json& j) { j.erase("places"); },
         "the message: lacks the member \"places\""},
    };
    for (const auto& c : cases) {
        Json json = Json::parse(workerResultText(sampleResult()));
        c.spoil(json);
        expectRefused(json.dump(), c.what, c.named);
    }
    EXPECT_THROW(readWorkerShare(R"({"models":[{"kind":"driver"}]})"), ProtocolError);
    EXPECT_THROW(readWorkerShare(R"({"models":[{"kind":"driver","list":"x","windows":1}]})"),
                 ProtocolError);
}

// A writer other than ours may order members otherwise, add some, space
// them out and escape what it likes: the message reads the same.
TEST(ToolWorkerProtocol, ReadsAnyOrderSpacingEscapesAndUnknownMembers) {
    WorkerResult sent = sampleResult();
    sent.models[1].sections[0].reason = "shadowed by \xF0\x9F\x98\x80 \"VGA\"\\\n";
    const Json written = Json::parse(workerResultText(sent));
    Json json = {{"models", written["models"]},
                 {"extra", {{"deep", {1, -2.5e3, nullptr, true, "\\"}}}},
                 {"reasons", written["reasons"]},
                 {"places", written["places"]}};
    const Json status = json["models"][0]["exit_status"];
    json["models"][0].erase("exit_status");
    json["models"][0]["exit_status"] = status;
    std::string text = replaced(json.dump(2), "\"VGA_\xC3\x9C\"", "\"VGA_\\u00dC\"");
    text = replaced(text, "\xF0\x9F\x98\x80", "\\ud83d\\uDE00");
    const WorkerResult got = readWorkerResult(text);
    ASSERT_EQ(got.models.size(), sent.models.size());
    for (std::size_t m = 0; m < sent.models.size(); ++m) {
        SCOPED_TRACE(m);
        expectSame(sent.models[m], got.models[m]);
    }
}

// Text cut short or not JSON is refused naming where, never read past its
// end.
TEST(ToolWorkerProtocol, RefusesTextThatIsNoMessage) {
    const std::string text = workerResultText(sampleResult());
    for (std::size_t size = 0; size < text.size(); ++size)
        EXPECT_THROW(readWorkerResult(text.substr(0, size)), ProtocolError) << size;
    const struct {
        const char* what;
        std::string text;
        const char* named;
    } cases[] = {
        {"bad escape", replaced(text, "\"listed\"", "\"list\\qed\""),
         "reasons[0]: is not JSON: \\q is no escape"},
        {"lone surrogate", replaced(text, "\"listed\"", "\"\\ud800listed\""),
         "reasons[0]: is not JSON: a high surrogate lacks its low one"},
        {"raw control character", replaced(text, "\"listed\"", "\"list\ted\""),
         "reasons[0]: is not JSON: a control character is not escaped"},
        {"bytes not UTF-8", replaced(text, "\"listed\"", "\"list\xC3(\""),
         "reasons[0]: is not JSON: a byte is not UTF-8"},
        {"index beyond any number", replaced(text, "[[0,0,0,", "[[18446744073709551616,0,0,"),
         "models[0].sections[0][0]: is out of range"},
        {"index past the table", replaced(text, "[[0,0,0,", "[[4000000000,0,0,"),
         "models[0].sections[0][0]: names no place"},
        {"status beyond a whole number's range",
         replaced(text, "{\"exit_status\":0,", "{\"exit_status\":2147483648,"),
         "models[0].exit_status: is out of range"},
        {"fraction", replaced(text, "\"entry_count\":3,", "\"entry_count\":3.0,"),
         "models[0].entry_count: is not a whole number"},
        {"member given twice",
         replaced(text, "\"windows\":\"vista\"", "\"windows\":\"vista\",\"windows\":\"xp\""),
         "models[0].windows: is given twice"},
        {"too deep",
         replaced(text, "{\"places\"", "{\"x\":" + std::string(100, '[') + ",\"places\""),
         "the message: is not JSON: values nest too deep"},
        {"text after it", text + " {}", "the message: is not JSON: text follows the message's end"},
    };
    for (const auto& c : cases) expectRefused(c.text, c.what, c.named);
}

}  // namespace
}  // namespace mfgtool::test
