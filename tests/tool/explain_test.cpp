// `explain` runs the core linked into the tool: every section's fate with the
// right names and lines, and a list byte for byte the one the loaded library
// writes for the same run.
#include <algorithm>
#include <nlohmann/json.hpp>
#include <random>

#include "support/tool/json_schema_check.h"
#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

using Json = nlohmann::json;

class ToolExplain : public ToolTest {
protected:
    Json explainJson(std::vector<std::string> args, int status = 0) {
        args.insert(args.begin(), "explain");
        args.push_back("--json");
        const Outcome outcome = runTool(args);
        EXPECT_EQ(outcome.status, status) << outcome.err;
        const Json json = Json::parse(outcome.out);
        for (const std::string& problem :
             schemaViolations(Json::parse(readText(MFGLIST_SCHEMA_FILE)), json))
            ADD_FAILURE() << problem;
        return json;
    }

    // The list file `command` keeps for `args`, and its exit status.
    std::pair<std::string, int> keptList(const std::string& command,
                                         std::vector<std::string> args) {
        const fs::path list = scratch / (command + ".ini");
        args.insert(args.begin(), command);
        args.insert(args.end(), {"--output", list.string()});
        const Outcome outcome = runTool(args);
        return {readText(list), outcome.status};
    }

    // True when the list has entries, so that a test sees it compared real lists.
    bool expectSameList(const std::vector<std::string>& args, const std::string& what) {
        const auto [exported, exportedStatus] = keptList("preview", args);
        const auto [explained, explainedStatus] = keptList("explain", args);
        EXPECT_EQ(explained, exported) << what;
        EXPECT_EQ(explainedStatus, exportedStatus) << what;
        return exported.find("[0]") != std::string::npos;
    }
};

const Json* sectionAt(const Json& json, const std::string& file, int line) {
    for (const Json& section : json["sections"])
        if (section["file"] == file && section["line"] == line) return &section;
    return nullptr;
}

struct Fate {
    const char* file;
    int line;
    const char* section;
    const char* fate;
    const char* reason;    // "" when none
    const char* compared;  // "" when not asked
    const char* other;     // "SECTION:line" of replaced_by / refused_by / took_place_of, or ""
    int position;          // -1 when not listed
};

void expectFates(const Json& json, const std::vector<Fate>& fates, const std::string& run) {
    for (const Fate& want : fates) {
        const std::string where = run + " " + want.file + ":" + std::to_string(want.line);
        const Json* got = sectionAt(json, want.file, want.line);
        ASSERT_NE(got, nullptr) << where;
        EXPECT_EQ((*got)["section"], want.section) << where;
        EXPECT_EQ((*got)["fate"], want.fate) << where;
        EXPECT_EQ(got->value("reason", ""), want.reason) << where;
        if (*want.compared) {
            EXPECT_EQ(got->value("compared", ""), want.compared) << where;
        }
        std::string other;
        for (const char* name : {"replaced_by", "refused_by", "took_place_of"})
            if (got->contains(name))
                other = (*got)[name]["section"].get<std::string>() + ":" +
                        std::to_string((*got)[name]["line"].get<int>());
        EXPECT_EQ(other, want.other) << where;
        EXPECT_EQ(got->value("position", -1), want.position) << where;
    }
}

TEST_F(ToolExplain, TellsTheFateOfEachSectionOfTheExamples) {
    const std::string ids = (examples() / "ids.txt").string();
    struct Run {
        const char* what;
        std::vector<std::string> args;
        std::vector<Fate> fates;
    };
    const std::vector<Run> runs = {
        {"factory driver list",
         {factory().string()},
         {{"MfgProc.ini", 7, "PRELOAD", "left-out", "other-group", "", "", -1},
          {"MfgProc.ini", 23, "CHIPSET", "listed", "", "", "", 0},
          {"MfgProc.ini", 76, "HOTFIX_USB", "listed", "", "", "", 4},
          {"MfgProc.ini", 106, "BACKUP", "left-out", "software-in-driver-list", "Software", "", -1},
          {"MfgProc.ini", 127, "VGA_REWORK", "left-out", "other-group", "REWORK", "", -1}}},
        {"factory software list",
         {factory().string(), "--kind", "software", "--id", "MEDIAPLAYER", "--id", "BACKUP"},
         {{"MfgProc.ini", 37, "VGA", "left-out", "not-software-in-software-list", "DISPLAY", "",
           -1},
          {"MfgProc.ini", 106, "BACKUP", "listed", "", "BACKUP", "", 1},
          {"MfgProc.ini", 117, "RECOVERY", "left-out", "no-id-matched", "RECOVERY", "", -1},
          {"MfgProc.ini", 147, "DIAG", "left-out", "other-group", "REWORK", "", -1}}},
        {"CD-ROM driver list",
         {cdrom().string(), "--cdrom", "--ids-file", ids},
         {{"DrvProc.ini", 6, "VGA_GENERIC", "replaced", "", "", "VGA_C0DE:51", -1},
          {"DrvProc.ini", 51, "VGA_C0DE", "listed", "", "1A2B0001C0DE0101", "VGA_GENERIC:6", 3},
          {"DrvProc.ini", 72, "LAN_OLD", "refused", "same-hardid", "5E6F2000", "LAN:62", -1},
          {"DrvProc.ini", 81, "AUDIO_GENERIC", "refused", "device-driver-held", "3C4D1000",
           "AUDIO:18", -1},
          {"DrvProc.ini", 90, "MODEM", "left-out", "no-id-matched", "9E9E0001", "", -1},
          {"DrvProc.ini", 127, "CONTROL_PANEL", "left-out", "software-in-driver-list", "", "", -1},
          {"DrvCofg.ini", 4, "HOTKEYS", "listed", "", "", "", 8}}},
    };
    for (const Run& run : runs) expectFates(explainJson(run.args), run.fates, run.what);

    const Json cdromRun = explainJson({cdrom().string(), "--cdrom", "--ids-file", ids});
    const Json* chipset = sectionAt(cdromRun, "DrvProc.ini", 41);
    ASSERT_NE(chipset, nullptr);
    EXPECT_EQ((*chipset)["matched_id"], "1A2B0002C0DE0101");
    EXPECT_EQ((*chipset)["family_match"], true);
    EXPECT_EQ((*chipset)["rank"], 1);
    EXPECT_EQ((*chipset)["id_key"], 10);
    EXPECT_EQ(cdromRun["unmatched_ids"], Json::array());
    // Every section of both files, in file order.
    std::vector<std::pair<std::string, int>> walked;
    for (const Json& section : cdromRun["sections"])
        walked.emplace_back(section["file"], section["line"]);
    EXPECT_EQ(walked.size(), 17u);
    EXPECT_TRUE(std::is_sorted(walked.begin(), walked.end(), [](const auto& a, const auto& b) {
        return a.first == b.first ? a.second < b.second : a.first == "DrvProc.ini";
    }));
}

TEST_F(ToolExplain, NamesTheNearestIdTheUnmatchedIdsAndEveryCut) {
    const std::string longPath(300, 'X');
    const fs::path folder = scratch / "crafted";
    fs::create_directories(folder);
    writeText(folder / "MfgProc.ini",
              "[PRELOAD]\r\nLOG_FILE=C:\\" + longPath +
                  "\r\n\r\n"
                  "[EDITOR]\r\nGROUP=PRELOAD\r\nTYPE=SOFTWARE\r\nPACKETNAME=Editor\r\nEXEPATH=" +
                  longPath +
                  "\r\n"
                  "[VIEWER]\r\nGROUP=PRELOAD\r\nTYPE=SOFTWARE\r\nPACKETNAME=Viewer\r\n"
                  "[SHEET]\r\nGROUP=PRELOAD\r\nTYPE=SOFTWARE\r\nPACKETNAME=Spreadsheet\r\n"
                  "[CAFE]\r\nGROUP=PRELOAD\r\nTYPE=SOFTWARE\r\nPACKETNAME=CAF\xC9\r\n"
                  "[FAR]\r\nGROUP=PRELOAD\r\nTYPE=SOFTWARE\r\nPACKETNAME=Unrelated\r\n");
    // The accented ID goes by file: a command line's bytes reach a Windows
    // child in its own code page.
    writeText(scratch / "ids.txt", "SpreadshX\ncaf\xC3\xA9\nUnused\n");
    const Json json = explainJson({folder.string(), "--kind", "software", "--id", "Editor", "--id",
                                   "Viewer ", "--ids-file", (scratch / "ids.txt").string()});

    struct Hint {
        int line;
        const char* id;  // "" for none
        const char* why;
    };
    for (const Hint& want : std::vector<Hint>{{9, "Viewer ", "blank at its end"},
                                              {13, "SpreadshX", "same first 8 characters"},
                                              {17, "caf\xC3\xA9", "case"},
                                              {21, "", ""}}) {
        const Json* got = sectionAt(json, "MfgProc.ini", want.line);
        ASSERT_NE(got, nullptr) << want.line;
        EXPECT_EQ((*got)["reason"], "no-id-matched") << want.line;
        if (!*want.id) {
            EXPECT_FALSE(got->contains("nearest_id")) << want.line;
            continue;
        }
        ASSERT_TRUE(got->contains("nearest_id")) << want.line;
        EXPECT_EQ((*got)["nearest_id"]["id"], want.id) << want.line;
        EXPECT_NE((*got)["nearest_id"]["why"].get<std::string>().find(want.why), std::string::npos)
            << (*got)["nearest_id"];
    }
    const Json* editor = sectionAt(json, "MfgProc.ini", 4);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ((*editor)["fate"], "listed");
    EXPECT_EQ((*editor)["cuts"], Json::parse(R"([{"key": "EXEPATH", "kept_bytes": 259}])"));
    EXPECT_EQ(json["unmatched_ids"],
              Json::parse(R"(["Viewer ", "SpreadshX", "caf\u00e9", "Unused"])"));
    ASSERT_EQ(json["settings"].size(), 1u);
    EXPECT_EQ(json["settings"][0]["key"], "LOG_FILE");
    EXPECT_EQ(json["settings"][0]["file"], "MfgProc.ini");
    EXPECT_EQ(json["settings"][0]["cut_to"], Json::array({259}));

    // The same run as a person reads it: one line per section, named by file
    // and line, the hint below it.
    const Outcome text = runTool(
        {"explain", folder.string(), "--kind", "software", "--id", "Editor", "--id", "SpreadshX"});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("MfgProc.ini:13 [SHEET]  left out: no package name matched "
                            "PACKETNAME Spreadsheet\n    nearest package name: \"SpreadshX\""),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("MfgProc.ini:4 [EDITOR]  listed at position 0"), std::string::npos);
    EXPECT_NE(text.out.find("    value cut: EXEPATH to 259 bytes\n"), std::string::npos);
}

// A factory of `count` sections drawn from small pools, so that groups,
// types, shared HARDIDs, families and package names collide often.
std::string generatedProcessFile(std::mt19937& random, int count) {
    const char* groups[] = {"PRELOAD", "REWORK", "preload", ""};
    const char* types[] = {"SYSPATCH", "MAINBOARD", "DISPLAY", "NETCARD", "SOUND",
                           "SOFTWARE", "Software",  "POWER",   "GADGET"};
    const char* hardIds[] = {"1A2B0001",         "1A2B0001C0DE0101", "1A2B0001C0DE0202", "3C4D1000",
                             "3C4D1000C0DE0101", "ACPI0003",         "9E9E0001",         ""};
    const char* packets[] = {"MEDIAPLAYER", "BACKUP", "RECOVERY", "Tools", ""};
    const auto pick = [&](const auto& pool) {
        return pool[std::uniform_int_distribution<std::size_t>(0, std::size(pool) - 1)(random)];
    };
    std::string text = "[PRELOAD]\r\nLOG_FILE=$TESTDIR\\LOGS\\RUN.LOG\r\n\r\n";
    for (int i = 0; i < count; ++i) {
        text += "[S" + std::to_string(i) + "]\r\nGROUP=" + pick(groups) +
                "\r\nTYPE=" + pick(types) + "\r\nHARDID=" + pick(hardIds) +
                "\r\nPACKETNAME=" + pick(packets) +
                "\r\nID=" + std::to_string(std::uniform_int_distribution<int>(1, 5)(random) * 10) +
                "\r\nNAME=Entry " + std::to_string(i) + "\r\nEXEPATH=$TESTDIR\\S" +
                std::to_string(i) + "\\SETUP.EXE\r\n";
    }
    return text;
}

TEST_F(ToolExplain, ListsByteForByteWhatTheExportsWrite) {
    const std::string ids = (examples() / "ids.txt").string();
    const std::string packages = (examples() / "packages.txt").string();
    const std::vector<std::pair<std::string, std::vector<std::string>>> kinds = {
        {"driver", {"--kind", "driver", "--ids-file", ids}},
        {"software", {"--kind", "software", "--ids-file", packages}},
        {"all-software", {"--kind", "all-software"}},
    };
    std::vector<std::pair<fs::path, bool>> folders = {{factory(), false}, {cdrom(), true}};
    std::mt19937 random(12);
    for (int seed = 0; seed < 3; ++seed) {
        const fs::path line = scratch / ("generated" + std::to_string(seed));
        const fs::path media = scratch / ("generated-cdrom" + std::to_string(seed));
        fs::create_directories(line);
        fs::create_directories(media);
        writeText(line / "MfgProc.ini", generatedProcessFile(random, 40));
        for (const char* file : {"DrvProc.ini", "DrvCofg.ini", "SoftProc.ini"})
            writeText(media / file, generatedProcessFile(random, 30));
        folders.emplace_back(line, false);
        folders.emplace_back(media, true);
    }
    int withEntries = 0;
    for (const auto& [folder, cdromMode] : folders) {
        for (const auto& [kind, kindArgs] : kinds) {
            std::vector<std::string> args = {folder.string(), "--callfactory"};
            if (cdromMode) args.push_back("--cdrom");
            args.insert(args.end(), kindArgs.begin(), kindArgs.end());
            if (expectSameList(args, folder.filename().string() + " " + kind)) ++withEntries;
        }
    }
    EXPECT_GE(withEntries, 20);
}

}  // namespace
}  // namespace mfgtool::test
