// Coverage by device and every model's outcome: an ID file in the form
// `mfglist ids` writes (a device comment, then its 16- and 8-character IDs)
// gives the same answer whatever the order of a device's IDs, in matrix,
// preview and explain alike; a run that failed or media without a file of
// the list kind is never a pass; a model file's header is honoured by
// preview as by matrix.
#include <nlohmann/json.hpp>

#include "ids/id_devices.h"
#include "support/tool/json_schema_check.h"
#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

using Json = nlohmann::json;

// The example media's HARDIDs: 1A2B0001 (a family) and 5E6F2000 claim the
// display and the audio device; nothing claims the modem 9F9F0001.
std::string capturedModel(const std::string& name, bool familyFirst) {
    const auto device = [&](const std::string& comment, const std::string& family) {
        const std::string whole = family + "C0DE0101";
        return "# " + comment + "\n" +
               (familyFirst ? family + "\n" + whole : whole + "\n" + family) + "\n";
    };
    return "# model: " + name + "\n# form: compact\n\n" +
           device("PCI 0000:00:02.0, Display", "1A2B0001") +
           device("PCI 0000:00:1f.3, Audio", "5E6F2000") +
           device("PCI 0000:03:00.0, Modem", "9F9F0001");
}

TEST(ToolCoverage, DevicesAreTheIdFilesBlocksAndLooseIdsGroupByFamily) {
    const struct {
        const char* text;
        std::vector<std::vector<std::string>> devices;  // comment, then IDs
    } cases[] = {
        {"# model: A\n\n# PCI 1, Audio\n5E6F2000C0DE0101\n5E6F2000\n# USB 2 (its IDs are listed "
         "above)\n",
         {{"PCI 1, Audio", "5E6F2000C0DE0101", "5E6F2000"}}},
        // The header's comments name no device, even right above the IDs.
        {"# model: A\n# a note\n1A2B0001C0DE0101\n1a2b0001ffff0000\nACPI0003\n",
         {{"", "1A2B0001C0DE0101", "1a2b0001ffff0000"}, {"", "ACPI0003"}}},
        // A blank line ends a block: what follows is loose.
        {"# model: A\n\n# PCI 1, LAN\n10EC8168\n\n10EC8168AAAA0001\n",
         {{"PCI 1, LAN", "10EC8168"}, {"", "10EC8168AAAA0001"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::vector<std::string>> got;
        for (const IdDevice& device : idFileDevices(c.text, 1252, "test")) {
            got.push_back({device.comment});
            got.back().insert(got.back().end(), device.ids.begin(), device.ids.end());
        }
        EXPECT_EQ(got, c.devices);
    }
}

TEST(ToolCoverage, ADeviceIsCoveredOrIgnoredThroughAnyOfItsIds) {
    for (const bool familyFirst : {false, true}) {
        SCOPED_TRACE(familyFirst ? "8 then 16" : "16 then 8");
        const std::vector<IdDevice> devices =
            idFileDevices(capturedModel("A", familyFirst), 1252, "test");
        ASSERT_EQ(devices.size(), 3u);
        // A family HARDID claims the display through its 16-character ID, a
        // whole one the audio device through its own.
        DeviceCoverage coverage =
            deviceCoverage(devices, {"1a2b0001", "5E6F2000C0DE0101"}, {}, true, 1252);
        ASSERT_EQ(coverage.uncovered.size(), 1u);
        EXPECT_EQ(coverage.uncovered[0].comment, "PCI 0000:03:00.0, Modem");
        EXPECT_EQ(coverage.uncoveredIds().size(), 2u);
        // The ignore file naming the modem's 8-character ID ignores it.
        coverage = deviceCoverage(devices, {"1A2B0001", "5E6F2000"}, {"9F9F0001"}, true, 1252);
        EXPECT_TRUE(coverage.uncovered.empty());
        EXPECT_EQ(coverage.ignored, 1u);
    }
    // A package name is claimed whole: no family rule for software.
    const std::vector<IdDevice> one = idFileDevices("5E6F2000C0DE0101\n", 1252, "test");
    EXPECT_EQ(deviceCoverage(one, {"5e6f2000"}, {}, true, 1252).uncovered.size(), 0u);
    EXPECT_EQ(deviceCoverage(one, {"5E6F2000"}, {}, false, 1252).uncovered.size(), 1u);
}

class ToolModelRuns : public ToolTest {
protected:
    fs::path catalogue() {
        const fs::path folder = scratch / "catalogue";
        fs::create_directories(folder);
        writeText(folder / "a16.ids", capturedModel("A", false));
        writeText(folder / "b8.ids", capturedModel("B", true));
        return folder;
    }
    Json matrixJson(const fs::path& media, std::vector<std::string> more, int status) {
        std::vector<std::string> args = {"matrix",   media.string(),       "--cdrom",
                                         "--models", catalogue().string(), "--json"};
        args.insert(args.end(), more.begin(), more.end());
        const Outcome outcome = runTool(args);
        EXPECT_EQ(outcome.status, status) << outcome.err;
        const Json json = Json::parse(outcome.out);
        const Json schema = Json::parse(readText(MFGLIST_SCHEMA_FILE));
        for (const std::string& problem : schemaViolations(schema, json)) ADD_FAILURE() << problem;
        return json;
    }
};

TEST_F(ToolModelRuns, EitherOrderOfADevicesIdsGivesTheSameCoverageInEveryCommand) {
    const Json matrix = matrixJson(cdrom(), {}, 0);
    EXPECT_EQ(matrix["uncovered_devices"], 2);
    for (const Json& model : matrix["models"]) {
        SCOPED_TRACE(model["name"].get<std::string>());
        ASSERT_EQ(model["uncovered_devices"].size(), 1u);
        EXPECT_EQ(model["uncovered_devices"][0]["comment"], "PCI 0000:03:00.0, Modem");
        EXPECT_EQ(model["uncovered_ids"].size(), 2u);
        EXPECT_EQ(model["devices"], 3);
        // preview and explain of the model say the same.
        for (const char* command : {"preview", "explain"}) {
            const Outcome one =
                runTool({command, cdrom().string(), "--cdrom", "--json", "--ids-file",
                         (catalogue() / model["file"].get<std::string>()).string()});
            ASSERT_EQ(one.status, 0) << one.err;
            EXPECT_EQ(Json::parse(one.out)["coverage"]["uncovered_devices"],
                      model["uncovered_devices"])
                << command;
        }
    }
    // The catalogue's ignore file naming the modem's family ID ignores it,
    // for matrix and for a preview of one of its models.
    writeText(catalogue() / "ignore.ids", "9F9F0001\n");
    const Outcome covered = runTool({"matrix", cdrom().string(), "--cdrom", "--models",
                                     catalogue().string(), "--require-coverage"});
    EXPECT_EQ(covered.status, 0) << covered.out << covered.err;
    const Outcome preview = runTool(
        {"preview", cdrom().string(), "--cdrom", "--ids-file", (catalogue() / "b8.ids").string()});
    EXPECT_NE(preview.out.find(
                  "Coverage: 2 of 2 devices have an entry (1 more named by the ignore file)"),
              std::string::npos)
        << preview.out;
}

TEST_F(ToolModelRuns, AFailedRunAndMissingMediaGivePreviewsStatusNeverZero) {
    // DrvProc.ini in UTF-16 big-endian, which the library cannot read.
    const fs::path unreadable = scratch / "utf16be";
    fs::copy(cdrom(), unreadable);
    std::string bigEndian = "\xFE\xFF";
    for (const char c : readText(cdrom() / "DrvProc.ini")) bigEndian += std::string{'\0', c};
    writeText(unreadable / "DrvProc.ini", bigEndian);
    // Media with DrvCofg.ini alone.
    const fs::path partial = scratch / "partial";
    fs::create_directories(partial);
    fs::copy_file(cdrom() / "DrvCofg.ini", partial / "DrvCofg.ini");
    const struct {
        fs::path media;
        int status;
        const char *outcome, *jsonStatus, *words;
    } cases[] = {
        {unreadable, 5, "failed", "failed", "UTF-16 BIG-ENDIAN"},
        {partial, 6, "missing-files", "incomplete", "the media lacks DrvProc.ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.media.filename().string());
        const Outcome preview = runTool({"preview", c.media.string(), "--cdrom", "--ids-file",
                                         (catalogue() / "a16.ids").string()});
        EXPECT_EQ(preview.status, c.status) << "the status preview gives";
        const Json matrix = matrixJson(c.media, {}, c.status);
        EXPECT_EQ(matrix["status"], c.jsonStatus);
        for (const Json& model : matrix["models"]) {
            EXPECT_EQ(model["outcome"], c.outcome);
            EXPECT_EQ(model["outcome_status"], c.status);
        }
        const Outcome text =
            runTool({"matrix", c.media.string(), "--cdrom", "--models", catalogue().string()});
        EXPECT_EQ(text.status, c.status);
        EXPECT_NE(text.out.find("a16: " + std::string(c.outcome)), std::string::npos) << text.out;
        EXPECT_NE((text.out + text.err).find(c.words), std::string::npos) << text.out << text.err;
        // impact refuses a side it cannot compare, naming it.
        const Outcome impact = runTool({"impact", cdrom().string(), c.media.string(), "--cdrom",
                                        "--models", catalogue().string()});
        EXPECT_EQ(impact.status, c.status);
        EXPECT_NE(impact.err.find("NEW " + c.media.filename().string() + ", model a16"),
                  std::string::npos)
            << impact.err;
    }
    // Two folders without a process file are no "no change": preview's 4.
    const fs::path empty = scratch / "empty";
    fs::create_directories(empty);
    const Outcome preview = runTool(
        {"preview", empty.string(), "--cdrom", "--ids-file", (catalogue() / "a16.ids").string()});
    const Outcome impact = runTool(
        {"impact", empty.string(), empty.string(), "--cdrom", "--models", catalogue().string()});
    EXPECT_EQ(impact.status, preview.status);
    EXPECT_EQ(impact.status, 4);
    EXPECT_NE(impact.err.find("OLD empty, model a16: the media lacks DrvProc.ini, DrvCofg.ini"),
              std::string::npos)
        << impact.err;
}

TEST_F(ToolModelRuns, PreviewHonoursTheModelFilesHeaderAndAnOptionWins) {
    writeText(scratch / "vista.ids", "# model: V\n# windows: vista\n1A2B0001C0DE0101\n");
    const auto run = [&](std::vector<std::string> more) {
        std::vector<std::string> args = {"preview",    cdrom().string(),
                                         "--cdrom",    "--json",
                                         "--ids-file", (scratch / "vista.ids").string()};
        args.insert(args.end(), more.begin(), more.end());
        const Outcome outcome = runTool(args);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        return Json::parse(outcome.out)["run"];
    };
    Json used = run({});
    EXPECT_EQ(used["windows"], "vista");
    EXPECT_EQ(used["windows_from"], "ids-file header");
    used = run({"--windows", "xp"});
    EXPECT_EQ(used["windows"], "xp");
    EXPECT_EQ(used["windows_from"], "option");
    const Outcome text = runTool(
        {"preview", cdrom().string(), "--cdrom", "--ids-file", (scratch / "vista.ids").string()});
    EXPECT_NE(text.out.find("for Windows vista (Windows from the IDs file's header)"),
              std::string::npos)
        << text.out;
    // A header's kind is honoured the same way; --kind wins.
    writeText(scratch / "soft.ids", "# kind: software\nMEDIAPLAYER\n");
    const Outcome software = runTool(
        {"preview", factory().string(), "--json", "--ids-file", (scratch / "soft.ids").string()});
    EXPECT_EQ(Json::parse(software.out)["run"]["kind"], "software") << software.err;
    const Outcome driver = runTool({"preview", factory().string(), "--json", "--kind", "driver",
                                    "--ids-file", (scratch / "soft.ids").string()});
    EXPECT_EQ(Json::parse(driver.out)["run"]["kind_from"], "option") << driver.err;
}

}  // namespace
}  // namespace mfgtool::test
