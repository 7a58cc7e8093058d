// The line's report on runs made by hand: the summary's order (what most
// needs a person first), the groups of identical lists, totals that are
// what the JSON says, and names only for the IDs a database knows.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "ids/id_names.h"
#include "present/line_report.h"
#include "present/matrix_report.h"
#include "support/tool/catalogue_fixture.h"
#include "support/tool/crafted_line.h"
#include "support/tool/run_tool.h"

namespace mfgtool::test {
namespace {

const std::optional<int> out;

// Seven models, each wrong in its own way, over three rows.
LineRun sevenModels() {
    const IdDevice one{"", {"9F9F0001"}}, two{"", {"9F9F0002"}};
    return craftedLine({{"clean"},
                        {"warned", 1, {}, kOutcomeWritten, {}, {"the ID file holds no IDs"}},
                        {"two-gaps", 1, {one, two}},
                        {"failed", 0, {}, kOutcomeFailed},
                        {"empty", 0, {}, kOutcomeEmpty},
                        {"one-problem", 1, {}, kOutcomeWritten, {{0, "EXEPATH is empty"}}},
                        {"also-clean"}},
                       {craftedRow("VGA", 10, "1A2B0001", {0, 0, 0, out, out, 0, 0}),
                        craftedRow("LAN", 20, "1A2B0002", {out, out, out, out, out, out, out}),
                        craftedRow("AUDIO", 30, "1A2B0003", {out, out, out, out, out, out, out})});
}

LineOptions mediaOptions() {
    LineOptions options;
    options.cdrom = true;
    options.folder = "/media";
    return options;
}

TEST(LineReport, TheSummaryPutsWhatIsWorstFirst) {
    const LineRun line = sevenModels();
    const LineOptions options = mediaOptions();
    const LineReport report = buildLineReport(options, line, "gaps", 0, nullptr);
    std::vector<std::string> order;
    for (const ModelSummary& row : report.summary) {
        order.push_back(line.models[row.model].model.name);
        EXPECT_EQ(&report.summaryOf(row.model), &row) << order.back();
    }
    EXPECT_EQ(order, (std::vector<std::string>{"failed", "empty", "two-gaps", "one-problem",
                                               "warned", "clean", "also-clean"}));
    const LineTotals& totals = report.totals;
    EXPECT_EQ(totals.models, 7u);
    EXPECT_EQ(totals.modelsNeedingAttention, 5u);
    EXPECT_EQ(totals.failedModels, 1u);
    EXPECT_EQ(totals.entries, 3u);
    EXPECT_EQ(totals.deadEntries, 2u);
    EXPECT_EQ(totals.uncoveredDevices, 2u);
    EXPECT_EQ(totals.entryProblems, 1u);
    EXPECT_EQ(totals.warnings, 1u);
}

TEST(LineReport, ModelsWithTheSameOutcomeAndPositionsShareAGroup) {
    // "failed" and "empty" both list nothing, but came to different ends.
    const LineRun line = sevenModels();
    const LineOptions options = mediaOptions();
    const LineReport report = buildLineReport(options, line, "gaps", 0, nullptr);
    EXPECT_EQ(report.identicalLists,
              (std::vector<std::vector<std::size_t>>{{0, 1, 2, 5, 6}, {3}, {4}}));

    LineRun moved = line;
    moved.rows[1].positions[6] = 1;
    const LineReport apart = buildLineReport(options, moved, "gaps", 0, nullptr);
    EXPECT_EQ(apart.identicalLists,
              (std::vector<std::vector<std::size_t>>{{0, 1, 2, 5}, {3}, {4}, {6}}));
}

// Three models: lists in an order of their own, a device two of them lack
// (with another comment in the second), and a problem at one position.
TEST(LineReport, ListsInInstallOrderDevicesOnceAndProblemsByPosition) {
    const IdDevice lan{"LAN", {"8086ABCD"}}, lanAgain{"other", {"8086ABCD"}}, usb{"", {"1A2B0009"}};
    const LineRun line = craftedLine({{"a", 2, {lan}},
                                      {"b", 2, {}, kOutcomeWritten, {{1, "EXEPATH is empty"}}},
                                      {"c", 1, {usb, lanAgain}}},
                                     {craftedRow("VGA", 10, "1A2B0001", {1, 0, out}),
                                      craftedRow("LAN", 20, "1A2B0002", {out, out, out}),
                                      craftedRow("AUDIO", 30, "1A2B0003", {0, 1, 0})});
    const LineOptions options = mediaOptions();
    const LineReport report = buildLineReport(options, line, "gaps", 0, nullptr);
    using Listed = std::vector<std::pair<int, std::size_t>>;
    EXPECT_EQ(report.installOrder,
              (std::vector<Listed>{{{0, 2}, {1, 0}}, {{0, 0}, {1, 2}}, {{0, 2}}}));

    ASSERT_EQ(report.uncoveredAcrossModels.size(), 2u);
    const UncoveredDevice& first = report.uncoveredAcrossModels[0];
    EXPECT_EQ(first.device->ids, usb.ids);
    EXPECT_EQ(first.models, (std::vector<std::size_t>{2}));
    const UncoveredDevice& shared = report.uncoveredAcrossModels[1];
    EXPECT_EQ(shared.device, &line.models[0].uncoveredDevices[0]) << "as the first model has it";
    EXPECT_EQ(shared.models, (std::vector<std::size_t>{0, 2}));

    ASSERT_NE(report.entryProblem(1, 1), nullptr);
    EXPECT_EQ(*report.entryProblem(1, 1), "EXEPATH is empty");
    EXPECT_EQ(report.entryProblem(1, 0), nullptr);
    EXPECT_EQ(report.entryProblem(0, 1), nullptr) << "another model's problem";
    const Json json = Json::parse(matrixJsonText(report));
    EXPECT_EQ(json["entries"][2]["cells"][1]["problem"], "EXEPATH is empty");
    EXPECT_EQ(json["entries"][0]["cells"][1]["problem"], nullptr);
}

TEST(LineReport, TheJsonsTotalsAndSummaryAreTheReports) {
    const LineRun line = sevenModels();
    const LineOptions options = mediaOptions();
    const LineReport report = buildLineReport(options, line, "gaps", 0, nullptr);
    const Json json = Json::parse(matrixJsonText(report));
    const Json& totals = json["totals"];
    std::size_t uncovered = 0, problems = 0, warnings = 0;
    for (const Json& model : json["models"]) {
        uncovered += model["uncovered_devices"].size();
        problems += model["entry_problems"].size();
        warnings += model["warnings"].size();
    }
    EXPECT_EQ(totals["models"], json["models"].size());
    EXPECT_EQ(totals["uncovered_devices"], uncovered);
    EXPECT_EQ(totals["uncovered_devices"], json["uncovered_devices"]);
    EXPECT_EQ(totals["uncovered_ids"], json["uncovered"]);
    EXPECT_EQ(totals["entry_problems"], problems);
    EXPECT_EQ(totals["warnings"], warnings);
    EXPECT_EQ(totals["entries"], json["entries"].size());
    EXPECT_EQ(totals["dead_entries"], json["dead_entries"].size());
    EXPECT_EQ(totals["not_candidates"], json["not_candidates"].size());
    ASSERT_EQ(json["summary"].size(), report.summary.size());
    for (std::size_t at = 0; at < report.summary.size(); ++at) {
        const Json& row = json["summary"][at];
        const ModelSummary& summary = report.summary[at];
        EXPECT_EQ(row["model"], line.models[summary.model].model.name);
        EXPECT_EQ(row["needs_attention"], summary.needsAttention());
        EXPECT_EQ(row["uncovered_devices"],
                  json["models"][summary.model]["uncovered_devices"].size());
    }
    EXPECT_EQ(json["identical_lists"][1], Json::array({"failed"}));
}

TEST(LineReport, TheTextPutsTheSummaryFirstAndSummaryOnlyStopsThere) {
    const LineRun line = sevenModels();
    const LineOptions options = mediaOptions();
    const LineReport report = buildLineReport(options, line, "gaps", 0, nullptr);
    std::ostringstream whole, summary;
    printMatrixText(report, 100, false, whole);
    printMatrixText(report, 100, true, summary);
    EXPECT_EQ(whole.str().rfind(summary.str(), 0), 0u) << whole.str();
    EXPECT_EQ(summary.str().find("Dead entries"), std::string::npos) << summary.str();
    EXPECT_NE(whole.str().find("Dead entries"), std::string::npos);
    // The marked rows, in the report's order, come before the clean ones.
    const std::string text = summary.str();
    EXPECT_LT(text.find("!  failed"), text.find("!  empty"));
    EXPECT_LT(text.find("!  empty"), text.find("!  two-gaps"));
    EXPECT_LT(text.find("!  warned"), text.find("  clean"));
    EXPECT_NE(text.find("Gaps:    2 uncovered devices (2 IDs), 1 listed entry with nothing to run"),
              std::string::npos)
        << text;
}

// A database in pci.ids' form that knows one vendor and one of its devices.
const char* const kPciIds = "1a2b  Example Vendor\n\t0001  Display Adapter\n";

TEST(LineReport, NamesOnlyTheIdsADatabaseKnows) {
    const ScratchFolder scratch{"linereport", ScratchPlace::hostTemp};
    writeText(scratch.hostFolder() / "pci.ids", kPciIds);
    const IdNames names((scratch.hostFolder() / "pci.ids").string());
    const IdDevice known{"board", {"1A2B0001C0DE0101", "1A2B0001"}}, unknown{"", {"9F9F0001"}};
    const LineRun line = craftedLine(
        {{"m1", 1, {unknown, known}}},
        {craftedRow("VGA", 10, "1A2B0001", {0}), craftedRow("LAN", 20, "9F9F0002", {out})});
    const LineOptions options = mediaOptions();
    const LineReport report = buildLineReport(options, line, "gaps", 0, &names);
    EXPECT_EQ(report.idNames, (std::map<std::string, std::string>{
                                  {"1A2B0001", "Example Vendor Display Adapter"},
                                  {"1A2B0001C0DE0101", "Example Vendor Display Adapter"}}));
    ASSERT_EQ(report.deviceNames.size(), 1u);
    EXPECT_EQ(report.deviceNames[0], (std::vector<std::optional<std::string>>{
                                         std::nullopt, "Example Vendor Display Adapter"}));
    const Json json = Json::parse(matrixJsonText(report));
    EXPECT_FALSE(json["models"][0]["uncovered_devices"][0].contains("name"));
    EXPECT_EQ(json["models"][0]["uncovered_devices"][1]["name"], "Example Vendor Display Adapter");
    EXPECT_EQ(json["entries"][0]["hardid_name"], "Example Vendor Display Adapter");
    EXPECT_FALSE(json["entries"][1].contains("hardid_name"));

    std::ostringstream text;
    printMatrixText(report, 0, false, text);
    EXPECT_NE(text.str().find("Example Vendor Display Adapter (board): 1A2B0001C0DE0101 1A2B0001"),
              std::string::npos)
        << text.str();

    const LineReport nameless = buildLineReport(options, line, "gaps", 0, nullptr);
    EXPECT_TRUE(nameless.idNames.empty());
    EXPECT_EQ(nameless.deviceNames[0], (std::vector<std::optional<std::string>>(2)));
}

}  // namespace
}  // namespace mfgtool::test

namespace mfgtool::test {
namespace {

class ToolLineReport : public CatalogueTest {};

TEST_F(ToolLineReport, SummaryOnlyPrintsTheAnswerWithTheSameStatus) {
    for (const bool gated : {false, true}) {
        SCOPED_TRACE(gated ? "--require-coverage" : "no gate");
        std::vector<std::string> more = {"--width", "100"};
        if (gated) more.push_back("--require-coverage");
        const Outcome whole = matrix(more);
        more.push_back("--summary");
        const Outcome summary = matrix(more);
        EXPECT_EQ(summary.status, whole.status);
        EXPECT_EQ(summary.status, gated ? 1 : 0) << summary.err;
        EXPECT_EQ(whole.out.rfind(summary.out, 0), 0u) << summary.out;
        EXPECT_NE(summary.out.find("Gaps:    2 uncovered devices"), std::string::npos)
            << summary.out;
        EXPECT_EQ(summary.out.find("Dead entries"), std::string::npos) << summary.out;
    }
}

#ifdef MFGLIST_ID_DATABASE_FOLDER
// A PCI and a USB device no entry claims, named from the databases the
// packages install; without them the IDs stand alone, and nothing fails.
TEST_F(ToolLineReport, UncoveredDevicesAreNamedFromTheInstalledDatabases) {
    if (!IdNames(MFGLIST_ID_DATABASE_FOLDER).has(Bus::usb))
        GTEST_SKIP() << "no pci.ids and usb.ids in " << MFGLIST_ID_DATABASE_FOLDER;
    writeText(catalogue() / "named.ids",
              "# model: Named\n\n# LAN\n10EC8168\n\n# receiver\nUSB\\VID_046D&PID_C52B\n");
    const Outcome named = matrix({"--json", "--id-names", MFGLIST_ID_DATABASE_FOLDER});
    ASSERT_EQ(named.status, 0) << named.err;
    std::map<std::string, std::string> names;
    const Json json = Json::parse(named.out);
    for (const Json& model : json["models"])
        for (const Json& device : model["uncovered_devices"])
            if (device.contains("name")) names[device["ids"][0]] = device["name"];
    EXPECT_EQ(names.count("9F9F0001C0DE0101"), 0u) << "a vendor neither database knows";
    EXPECT_EQ(names["10EC8168"].rfind("Realtek", 0), 0u) << names["10EC8168"];
    EXPECT_EQ(names["USB\\VID_046D&PID_C52B"].rfind("Logitech", 0), 0u);
    const Outcome text = matrix({"--id-names", MFGLIST_ID_DATABASE_FOLDER});
    EXPECT_NE(text.out.find("    " + names["10EC8168"] + " (LAN): 10EC8168"), std::string::npos)
        << text.out;

    for (const std::string& where : {std::string(), std::string("/nowhere")}) {
        SCOPED_TRACE(where);
        const Outcome bare = where.empty() ? matrix() : matrix({"--id-names", where});
        EXPECT_EQ(bare.status, 0);
        EXPECT_EQ(bare.err, "");
        EXPECT_EQ(bare.out.find("Realtek"), std::string::npos);
        EXPECT_NE(bare.out.find("    LAN: 10EC8168"), std::string::npos) << bare.out;
    }
}
#endif

}  // namespace
}  // namespace mfgtool::test
