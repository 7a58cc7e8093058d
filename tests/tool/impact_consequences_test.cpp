// What a change does to the machines, as impact tells it: the devices that
// lose or gain their driver, and the entries a new list names that a host
// cannot run, on changes crafted to the CD-ROM example for a catalogue in
// the form `mfglist ids` writes.
#include <nlohmann/json.hpp>
#include <sstream>

#include "ids/id_names.h"
#include "present/html_report.h"
#include "present/impact_model.h"
#include "present/impact_report.h"
#include "support/tool/json_schema_check.h"
#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

using Json = nlohmann::json;
using Names = std::vector<std::string>;

// Two desks with the same audio and network devices, one on Vista, where
// the old network release has nothing to run.
const char* const kAudio = "PCI 0000:00:1f.3, Audio";

std::string desk(const std::string& name, const char* windows) {
    return "# model: " + name + "\n# windows: " + windows + "\n# form: compact\n\n# " + kAudio +
           "\n3C4D1000C0DE0101\n3C4D1000\n\n# PCI 0000:02:00.0, LAN\n5E6F2000C0DE0101\n5E6F2000\n";
}

class ToolImpactConsequences : public ToolTest {
protected:
    fs::path before() const { return scratch / "old"; }
    fs::path after() const { return scratch / "new"; }
    fs::path catalogue() const { return scratch / "catalogue"; }

    void SetUp() override {
        ToolTest::SetUp();
        fs::create_directories(catalogue());
        writeText(catalogue() / "desk-d1.ids", desk("Desk D1", "vista"));
        writeText(catalogue() / "desk-x1.ids", desk("Desk X1", "xp"));
        // Without the family's audio entry the board's is the device's only one.
        fs::copy(cdrom(), before());
        std::string media = readText(before() / "DrvProc.ini");
        media.erase(media.find("[AUDIO_GENERIC]"),
                    media.find("[MODEM]") - media.find("[AUDIO_GENERIC]"));
        writeText(before() / "DrvProc.ini", media);
        fs::copy(before(), after());
    }
    // NEW's DrvProc.ini with `from` replaced by `to`.
    void change(const std::string& from, const std::string& to) {
        std::string media = readText(after() / "DrvProc.ini");
        const std::size_t at = media.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        writeText(after() / "DrvProc.ini", media.replace(at, from.size(), to));
    }
    Outcome impact(const fs::path& from, const fs::path& to, std::vector<std::string> more = {}) {
        std::vector<std::string> args = {"impact",  from.string(), to.string(),
                                         "--cdrom", "--models",    catalogue().string()};
        args.insert(args.end(), more.begin(), more.end());
        return runTool(args);
    }
    Json impactJson(const fs::path& from, const fs::path& to) {
        const Outcome outcome = impact(from, to, {"--json"});
        EXPECT_LE(outcome.status, 1) << outcome.err;
        const Json json = Json::parse(outcome.out);
        for (const std::string& problem :
             schemaViolations(Json::parse(readText(MFGLIST_SCHEMA_FILE)), json))
            ADD_FAILURE() << problem;
        return json;
    }
};

Names devicesOf(const Json& model, const char* member) {
    Names devices;
    for (const Json& device : model[member])
        devices.push_back(device["comment"].get<std::string>());
    return devices;
}

TEST_F(ToolImpactConsequences, AHardIdTypoLeavesTheAudioDeviceWithoutADriver) {
    change("HARDID=3C4D1000C0DE0101", "HARDID=3C4D1000C0DE01O1");
    const Json lost = impactJson(before(), after());
    EXPECT_EQ(lost["summary"]["lost_drivers"], 2);
    EXPECT_EQ(lost["summary"]["text"], "2 of 2 models change, 2 devices lose their driver");
    for (const Json& model : lost["models"]) {
        SCOPED_TRACE(model["name"].get<std::string>());
        EXPECT_TRUE(model["changed"].get<bool>());
        EXPECT_EQ(devicesOf(model, "lost_drivers"), Names{kAudio});
        EXPECT_EQ(model["lost_drivers"][0]["ids"], (Names{"3C4D1000C0DE0101", "3C4D1000"}));
        EXPECT_TRUE(model["gained_drivers"].empty());
    }
    // The same change undone gives the device its driver back.
    const Json regained = impactJson(after(), before());
    EXPECT_EQ(regained["summary"]["gained_drivers"], 2);
    EXPECT_EQ(devicesOf(regained["models"][0], "gained_drivers"), Names{kAudio});
    EXPECT_TRUE(regained["models"][0]["lost_drivers"].empty());

    const Outcome text = impact(before(), after());
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.out.find("devices losing their driver:\n      " + std::string(kAudio) +
                            ": 3C4D1000C0DE0101 3C4D1000\n"),
              std::string::npos)
        << text.out;
    const Outcome markdown = impact(before(), after(), {"--markdown"});
    EXPECT_NE(
        markdown.out.find("### mfglist impact: 2 of 2 models change, 2 devices lose their driver"),
        std::string::npos)
        << markdown.out;
    const fs::path page = scratch / "impact.html";
    EXPECT_EQ(impact(before(), after(), {"--html", page.string()}).status, 1);
    EXPECT_NE(readText(page).find(kAudio), std::string::npos);
}

// The newer network release deleted: the old one, which has nothing to run
// on Vista, wins.  The device keeps a driver; the Vista desk's list now
// names one more entry its host cannot run.
TEST_F(ToolImpactConsequences, ADeletedEntryLetsAnOlderOneWinThatVistaCannotRun) {
    std::string media = readText(after() / "DrvProc.ini");
    media.erase(media.find("[LAN]"), media.find("[LAN_OLD]") - media.find("[LAN]"));
    writeText(after() / "DrvProc.ini", media);
    const Json unchanged = impactJson(before(), before());
    const Json impact = impactJson(before(), after());
    std::size_t problems = 0;
    for (std::size_t m = 0; m < impact["models"].size(); ++m) {
        const Json& model = impact["models"][m];
        SCOPED_TRACE(model["name"].get<std::string>());
        EXPECT_TRUE(model["changed"].get<bool>());
        EXPECT_TRUE(model["lost_drivers"].empty());
        const std::size_t more =
            model["entry_problems"].size() - unchanged["models"][m]["entry_problems"].size();
        EXPECT_EQ(more, model["name"] == "desk-d1" ? 1u : 0u);
        problems += model["entry_problems"].size();
    }
    EXPECT_EQ(impact["summary"]["entry_problems"], problems);
    EXPECT_EQ(impact["summary"]["text"], "2 of 2 models change");
}

TEST_F(ToolImpactConsequences, AChangeNoModelSeesHasNoConsequence) {
    change("PACKETNAME=LAN_OLD", "PACKETNAME=LAN_OLDER");
    const Json impact = impactJson(before(), after());
    EXPECT_EQ(impact["exit_status"], 0);
    EXPECT_EQ(impact["summary"]["text"], "0 of 2 models change");
    EXPECT_EQ(impact["summary"]["lost_drivers"], 0);
}

// As matrix takes it: an entry a host cannot run fails the run only when
// asked, even where no model's list changes.
TEST_F(ToolImpactConsequences, RequireRunnableFailsAnUnchangedLineWithEntriesAHostCannotRun) {
    const Json unchanged = impactJson(before(), before());
    ASSERT_GT(unchanged["summary"]["entry_problems"].get<int>(), 0)
        << "the Vista desk's SATA hotfix";
    EXPECT_EQ(impact(before(), before()).status, 0);
    const Outcome gated = impact(before(), before(), {"--require-runnable"});
    EXPECT_EQ(gated.status, 1) << gated.err;
    EXPECT_NE(gated.out.find("! cannot run #"), std::string::npos) << gated.out;
    writeText(catalogue() / "desk-d1.ids", desk("Desk D1", "xp"));
    EXPECT_EQ(impact(before(), before(), {"--require-runnable"}).status, 0);
}

}  // namespace
}  // namespace mfgtool::test

namespace mfgtool::test {
namespace {

// A device that loses its driver is named from the ID databases where they
// know it, in every format impact writes; without them it keeps its comment.
TEST(ImpactReportNames, ALostDeviceIsNamedFromTheDatabasesWhenTheyKnowIt) {
#ifdef MFGLIST_ID_DATABASE_FOLDER
    const IdNames names(std::string(MFGLIST_ID_DATABASE_FOLDER));
    if (!names.has(Bus::pci)) GTEST_SKIP() << "no pci.ids in " << MFGLIST_ID_DATABASE_FOLDER;
    LineOptions options;
    ModelRun before, after;
    after.model.name = "desk-d1";
    LineImpact impact;
    impact.models.resize(1);
    impact.models[0].before = &before;
    impact.models[0].after = &after;
    impact.models[0].lostDrivers = {{"PCI 0000:02:00.0, LAN", {"10EC8168"}},
                                    {"Made up", {"NOT-AN-ID"}}};
    const ImpactReport named = buildImpactReport(options, impact, "old", "new", 1, &names);
    const ImpactReport bare = buildImpactReport(options, impact, "old", "new", 1, nullptr);
    ASSERT_EQ(named.models[0].lostNames.size(), 2u);
    ASSERT_TRUE(named.models[0].lostNames[0].has_value());
    EXPECT_NE(named.models[0].lostNames[0]->find("Realtek"), std::string::npos);
    EXPECT_FALSE(named.models[0].lostNames[1].has_value()) << "an ID of no known form";
    EXPECT_EQ(bare.models[0].lostNames, (std::vector<std::optional<std::string>>{{}, {}}));

    const Json json = Json::parse(impactJson(named).dump());
    EXPECT_NE(json["models"][0]["lost_drivers"][0]["name"].get<std::string>().find("Realtek"),
              std::string::npos);
    std::ostringstream text, markdown;
    printImpactText(named, false, text);
    printImpactMarkdown(named, markdown);
    for (const std::string& shown : {text.str(), markdown.str(), renderImpactHtml(named)})
        EXPECT_NE(shown.find("Realtek"), std::string::npos) << shown;
#else
    GTEST_SKIP() << "the ID databases' folder is not known to this build";
#endif
}

}  // namespace
}  // namespace mfgtool::test
