// The reason the line gives for each dead entry, and the entries that were
// never this list's (shown apart, never dead), through `matrix` as a
// process in both modes.
#include <map>
#include <nlohmann/json.hpp>

#include "support/tool/catalogue_fixture.h"

namespace mfgtool::test {
namespace {

using Json = nlohmann::json;

class ToolDeadEntries : public CatalogueTest {};

TEST_F(ToolDeadEntries, EachDeadEntryHasItsReasonAndTheOthersStandApart) {
    // Without the tower, no model takes the generic display driver; a
    // HARDID no model has is dead for want of a device.
    fs::remove(catalogue() / "tower-t20.ids");
    writeText(cdrom() / "DrvProc.ini",
              readText(cdrom() / "DrvProc.ini") +
                  "\r\n[NOBODY]\r\nNAME=Nobody\r\nID=90\r\nHARDID=12345678\r\n"
                  "TYPE=OTHER\r\nEXEPATH=$MFGPROCPATH\\N\\SETUP.EXE\r\n");
    const Outcome outcome = matrix({"--json"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const Json json = Json::parse(outcome.out);
    const std::map<std::string, std::pair<std::string, std::vector<std::string>>> expected = {
        {"DrvProc.ini:6:VGA_GENERIC", {"replaced", {"DrvProc.ini:51:VGA_C0DE"}}},
        {"DrvProc.ini:72:LAN_OLD", {"shadowed", {"DrvProc.ini:62:LAN"}}},
        {"DrvProc.ini:81:AUDIO_GENERIC", {"replaced", {"DrvProc.ini:18:AUDIO"}}},
        {"DrvProc.ini:90:MODEM", {"no-device", {}}},
        {"DrvProc.ini:137:NOBODY", {"no-device", {}}},
    };
    std::map<std::string, std::pair<std::string, std::vector<std::string>>> found;
    for (const Json& entry : json["entries"]) {
        EXPECT_EQ(entry["dead"].get<bool>(), !entry["dead_reason"].is_null()) << entry["id"];
        if (entry["dead"].get<bool>())
            found[entry["id"]] = {entry["dead_reason"]["reason"],
                                  entry["dead_reason"]["by"].get<std::vector<std::string>>()};
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(json["dead_entries"].size(), expected.size());
    // SOFTWARE in a driver list is no candidate: not dead, not an entry row.
    std::map<std::string, std::string> apart;
    for (const Json& entry : json["not_candidates"]) apart[entry["id"]] = entry["reason"];
    EXPECT_EQ(apart, (std::map<std::string, std::string>{
                         {"DrvProc.ini:127:CONTROL_PANEL", "software-in-driver-list"},
                         {"DrvCofg.ini:24:ONLINE_MANUAL", "software-in-driver-list"}}));
    for (const Json& entry : json["entries"])
        EXPECT_EQ(apart.count(entry["id"]), 0u) << entry["id"];

    const Outcome text = matrix();
    for (const char* words :
         {"shadowed by DrvProc.ini:62:LAN, which every model with its device",
          "replaced by the more specific DrvProc.ini:51:VGA_C0DE", "no model has a matching device",
          "Not for this list (never dead)",
          "[CONTROL_PANEL]  Display control panel  (SOFTWARE in a driver list)"})
        EXPECT_NE(text.out.find(words), std::string::npos) << words << "\n" << text.out;
    const std::size_t dead = text.out.find("Dead entries"),
                      apartAt = text.out.find("Not for this list");
    EXPECT_EQ(text.out.substr(dead, apartAt - dead).find("CONTROL_PANEL"), std::string::npos)
        << "shown apart only";
}

TEST_F(ToolDeadEntries, OtherGroupsAndSoftwareAreNotDeadInProcessFileMode) {
    const Outcome outcome = runTool(
        {"matrix", factory().string(), "--models", (examples() / "models").string(), "--json"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const Json matrix = Json::parse(outcome.out);
    EXPECT_EQ(matrix["dead_entries"], Json::array());
    std::map<std::string, std::string> apart;
    for (const Json& entry : matrix["not_candidates"]) apart[entry["section"]] = entry["reason"];
    EXPECT_EQ(apart["SPARE_VGA"], "other-group");
    EXPECT_EQ(apart["VGA_REWORK"], "other-group");
    EXPECT_EQ(apart["MEDIAPLAYER"], "software-in-driver-list");
    EXPECT_EQ(apart["BACKUP"], "software-in-driver-list") << "TYPE=Software, any case";
}

}  // namespace
}  // namespace mfgtool::test
