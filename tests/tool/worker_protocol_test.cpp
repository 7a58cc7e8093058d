// The messages between `matrix`/`impact` and their model workers: every
// member survives the trip through JSON text, and a message that lacks a
// member or holds it as another type is refused with the member named.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

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

TEST(ToolWorkerProtocol, ResultSurvivesTheTripThroughText) {
    const WorkerResult sent = sampleResult();
    const Json json = toJson(sent);
    EXPECT_EQ(json["places"].size(), 2u) << "each place written once per share";
    WorkerResult got;
    fromJson(Json::parse(json.dump()), got);
    ASSERT_EQ(got.models.size(), sent.models.size());
    for (std::size_t m = 0; m < sent.models.size(); ++m) {
        SCOPED_TRACE(m);
        expectSame(sent.models[m], got.models[m]);
    }
}

TEST(ToolWorkerProtocol, ShareSurvivesTheTripThroughText) {
    const WorkerShare sent{{{"software", "xp", "A.ids", "/tmp/list-0.ini"},
                            {"all-software", std::nullopt, std::nullopt, "/tmp/list-1.ini"}}};
    WorkerShare got;
    fromJson(Json::parse(toJson(sent).dump()), got);
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
        Json json = toJson(sampleResult());
        c.spoil(json);
        WorkerResult got;
        try {
            fromJson(json, got);
            ADD_FAILURE() << c.what << ": read without complaint";
        } catch (const ProtocolError& e) {
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos)
                << c.what << ": " << e.what();
        }
    }
    WorkerShare share;
    EXPECT_THROW(fromJson(Json{{"models", {{{"kind", "driver"}}}}}, share), ProtocolError);
    EXPECT_THROW(
        fromJson(Json{{"models", {{{"kind", "driver"}, {"list", "x"}, {"windows", 1}}}}}, share),
        ProtocolError);
}

}  // namespace
}  // namespace mfgtool::test
