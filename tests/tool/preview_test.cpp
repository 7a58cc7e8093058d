// `preview` against a library that records its calls: the call the tool
// makes from its options, and how it shows the list file it gets back.
#include <nlohmann/json.hpp>

#include "run/library.h"
#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

const char* const kCannedList =
    "[SYSTEM]\r\nINDEX=0\r\nCOUNT=3\r\nINSTALLSTATUS=0\r\nLOG_FILE=C:\\FACTORY\\install.log\r\n"
    "HOTKEY=\r\nDEBUG=0\r\nLANGUAGEID=\r\nRUN_BEGINTEST=\r\nRUN_ENDTEST=\r\n"
    "[0]\r\nGROUP=PRELOAD\r\nNAME=Chipset support\r\nID=10\r\nHARDID=1A2B0002\r\n"
    "EXEPATH=C:\\FACTORY\\CHIPSET\\SETUP.EXE\r\nTYPE=MAINBOARD\r\nTIMEOUT=300\r\n"
    "REBOOT_COUNT=0\r\n"
    "[1]\r\nGROUP=PRELOAD\r\nNAME=A display driver whose name is longer than any column holds\r\n"
    "ID=20\r\nHARDID=1A2B0001C0DE0101\r\n"
    "EXEPATH=C:\\FACTORY\\DRIVERS\\DISPLAY\\RELEASE\\2008\\BOARD\\C0DE0101\\VGA\\SETUP.EXE\r\n"
    "TYPE=DISPLAY\r\nTIMEOUT=600\r\nREBOOT_COUNT=1\r\n"
    "[2]\r\nGROUP=PRELOAD\r\nNAME=Audio driver\r\nID=40\r\nHARDID=3C4D1000C0DE0101\r\n"
    "EXEPATH=C:\\FACTORY\\AUDIO\\SETUP.EXE\r\nTYPE=SOUND\r\nTIMEOUT=600\r\nREBOOT_COUNT=1\r\n";

class ToolPreview : public ToolTest {
protected:
    // The recording library, with `list` (if any) as the list it writes.
    Outcome preview(std::vector<std::string> args, const std::string& list = kCannedList,
                    EnvChanges env = {}) {
        writeText(scratch / "canned.ini", list);
        env.emplace_back("MFGLIST_FAKE_RECORD", (scratch / "record.txt").string());
        env.emplace_back("MFGLIST_FAKE_LIST", list.empty() ? std::optional<std::string>()
                                                           : (scratch / "canned.ini").string());
        args.insert(args.begin(), "preview");
        args.push_back("--library");
        args.push_back(recordingLibraryFile().string());
        return runTool(args, env);
    }
    std::vector<std::string> calls() const { return lines(readText(scratch / "record.txt")); }
};

TEST_F(ToolPreview, BuildsTheFactoryCallFromItsOptions) {
    writeText(scratch / "ids.txt", "# the machine\r\n  MEDIAPLAYER  \r\n\r\nRECOVERY\r\n");
    const std::string f = previewFolderForLibrary(factory());
    const std::string c = previewFolderForLibrary(cdrom());
    const std::string ids = (scratch / "ids.txt").string();
    const struct {
        std::vector<std::string> args;
        std::string init;
        std::string create;  // the start of the create call's record
    } cases[] = {
        {{factory().string()}, "init|0|mfglist -D " + f + " -P " + f + "|0", "create|0||"},
        {{factory().string(), "--group", "REWORK", "--callfactory", "--kind", "software", "--id",
          "BACKUP", "--ids-file", ids},
         "init|1|mfglist -D " + f + " -P " + f + " -T REWORK -F|0",
         "create|3|<BACKUP>,<MEDIAPLAYER>,<RECOVERY>|"},
        {{factory().string(), "--kind", "all-software"},
         "init|1|mfglist -D " + f + " -P " + f + "|0",
         "createall|"},
        {{cdrom().string(), "--cdrom", "--id", "1A2B0001C0DE0101"},
         "init|0|mfglist -D " + c + " -P " + c + "|0",
         "create|1|<1A2B0001C0DE0101>|"},
        {{cdrom().string(), "--cdrom", "--group", "SERVICE", "--kind", "all-software"},
         "init|1|mfglist -D " + c + " -P " + c + " -T SERVICE|0",
         "createall|"},
    };
    for (const auto& c2 : cases) {
        SCOPED_TRACE(c2.init);
        fs::remove(scratch / "record.txt");
        const Outcome outcome = preview(c2.args);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        const std::vector<std::string> made = calls();
        ASSERT_EQ(made.size(), 2u);
        EXPECT_EQ(made[0].rfind(c2.init + "|", 0), 0u) << made[0];
        EXPECT_EQ(made[1].rfind(c2.create, 0), 0u) << made[1];
        // The library always traces into the scratch machine: a failed run
        // is told from one that wrote its list by its trace.
        EXPECT_NE(made[1].find("|flag=1"), std::string::npos);
    }
}

TEST_F(ToolPreview, WindowsChoiceReachesTheLinuxMachine) {
    if (!hostDrives(scratch)) GTEST_SKIP() << "Windows detects its own version";
    for (const auto& [windows, winver] : {std::pair{"xp", "5.1"}, std::pair{"vista", "6.0"}}) {
        fs::remove(scratch / "record.txt");
        const Outcome outcome = preview({factory().string(), "--windows", windows});
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_NE(calls().at(0).find(std::string("|winver=") + winver), std::string::npos);
        EXPECT_NE(outcome.out.find(std::string("for Windows ") + windows), std::string::npos);
    }
}

TEST_F(ToolPreview, ShowsTheListInInstallOrderWithinTheTerminalWidth) {
    // Into a file or pipe the table is cut only to a width given.
    const Outcome uncut = preview({factory().string()});
    EXPECT_NE(uncut.out.find(
                  "C:\\FACTORY\\DRIVERS\\DISPLAY\\RELEASE\\2008\\BOARD\\C0DE0101\\VGA\\SETUP.EXE"),
              std::string::npos)
        << uncut.out;
    const Outcome outcome = preview({factory().string(), "--width", "90"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<std::string> shown = lines(outcome.out);
    for (const std::string& line : shown) EXPECT_LE(line.size(), 90u) << line;
    EXPECT_NE(outcome.out.find("LOG_FILE       C:\\FACTORY\\install.log"), std::string::npos)
        << outcome.out;
    EXPECT_NE(outcome.out.find("Entries in install order: 3"), std::string::npos);
    const std::size_t chipset = outcome.out.find("  0  Chipset");
    const std::size_t display = outcome.out.find("  1  A display");
    const std::size_t audio = outcome.out.find("  2  Audio");
    ASSERT_NE(display, std::string::npos);
    EXPECT_LT(chipset, display);
    EXPECT_LT(display, audio);
    // The long row is cut, not wrapped: its path keeps its end.
    const std::string row = outcome.out.substr(display, outcome.out.find('\n', display) - display);
    EXPECT_NE(row.find("..."), std::string::npos) << row;
    EXPECT_NE(row.find("\\SETUP.EXE"), std::string::npos) << row;
    EXPECT_NE(row.find("1A2B0001"), std::string::npos) << row;
}

TEST_F(ToolPreview, SaysSoWhenTheListHasNoEntries) {
    const struct {
        std::string list;
        std::string said;
        int status;
        std::string error;  // on standard error
    } cases[] = {
        {"", "the list has no entries (the library wrote no list file).", 4,
         "no list: the library wrote no list file: no entry was selected; --allow-empty"},
        {"[SYSTEM]\r\nINDEX=0\r\nCOUNT=0\r\n", "the list has no entries.", 4,
         "no list: the list has no entries; --allow-empty"},
        {"[SYSTEM]\r\nCOUNT=2\r\n[0]\r\nNAME=Lonely\r\n", "Lonely", 0,
         "warning: COUNT is 2 but section 1 is missing"},
        {"[0]\r\nNAME=Headless\r\n", "the list has no entries", 4,
         "warning: the list file has no SYSTEM section"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        const Outcome outcome = preview({factory().string()}, c.list);
        EXPECT_EQ(outcome.status, c.status) << outcome.err;
        EXPECT_NE(outcome.out.find(c.said), std::string::npos) << outcome.out;
        EXPECT_NE(outcome.err.find("mfglist: " + c.error), std::string::npos) << outcome.err;
    }
    // An empty list is a success when the caller says it may be.
    for (const std::string list : {"", "[SYSTEM]\r\nCOUNT=0\r\n"}) {
        const Outcome outcome = preview({factory().string(), "--allow-empty"}, list);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(outcome.err, "");
    }
}

TEST_F(ToolPreview, JsonCarriesTheRunAndEveryKey) {
    const Outcome outcome = preview({factory().string(), "--json", "--id", "X1"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const nlohmann::json json = nlohmann::json::parse(outcome.out);
    EXPECT_EQ(json["schema"], 1);
    EXPECT_EQ(json["command"], "preview");
    EXPECT_EQ(json["status"], "ok");
    EXPECT_EQ(json["run"]["mode"], "process-file");
    EXPECT_EQ(json["run"]["ids"], nlohmann::json::array({"X1"}));
    EXPECT_EQ(json["list"]["written"], true);
    const nlohmann::json& system = json["list"]["system"]["keys"];
    EXPECT_EQ(system["LOG_FILE"], "C:\\FACTORY\\install.log");
    EXPECT_EQ(system["COUNT"], 3) << "numbers as numbers";
    EXPECT_EQ(system["HOTKEY"], "");
    const nlohmann::json& entries = json["list"]["entries"];
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1]["position"], 1);
    EXPECT_EQ(entries[1]["keys"]["HARDID"], "1A2B0001C0DE0101");
    EXPECT_EQ(entries[1]["keys"]["TIMEOUT"], 600);
    EXPECT_EQ(entries[2]["keys"]["NAME"], "Audio driver");
    EXPECT_FALSE(json.contains("trace"));
}

TEST_F(ToolPreview, KeepsTheListOnlyWhereAskedAndLeavesNoTemporaryFiles) {
    fs::create_directory(scratch / "tmp");
    const EnvChanges tmp = {{"TMPDIR", (scratch / "tmp").string()},
                            {"TMP", (scratch / "tmp").string()},
                            {"TEMP", (scratch / "tmp").string()}};
    Outcome outcome = preview({factory().string()}, kCannedList, tmp);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(fs::is_empty(scratch / "tmp"));

    // A list file already there is replaced: the library would add to it.
    fs::create_directory(scratch / "out");
    writeText(scratch / "out" / "list.ini", "[7]\r\nNAME=Stale\r\n");
    outcome = preview({factory().string(), "--output", (scratch / "out" / "list.ini").string()},
                      kCannedList, tmp);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(readText(scratch / "out" / "list.ini"), kCannedList);
    EXPECT_TRUE(fs::is_empty(scratch / "tmp"));
}

TEST_F(ToolPreview, TraceShowsThisRunAndRemovesOnlyWhatItMade) {
    const UserTraceFiles user = userTraceFiles(scratch);
    // The user's flag and log are not the tool's to remove.
    for (const bool userHadThem : {false, true}) {
        SCOPED_TRACE(userHadThem ? "user's flag and log" : "none before");
        fs::remove(user.flag);
        fs::remove(user.log);
        fs::remove(scratch / "record.txt");
        if (userHadThem) {
            writeText(user.flag, "");
            writeText(user.log, "ORVANTIS == : AN OLD LINE\r\n");
        }
        const Outcome outcome = preview({factory().string(), "--trace"}, kCannedList, user.env);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_NE(calls().at(1).find("|flag=1"), std::string::npos) << "flag up during the run";
        EXPECT_NE(outcome.out.find("  ORVANTIS == : RECORDED LIST RUN"), std::string::npos)
            << outcome.out;
        EXPECT_EQ(outcome.out.find("AN OLD LINE"), std::string::npos);
        EXPECT_EQ(fs::exists(user.flag), userHadThem);
        EXPECT_EQ(readText(user.log).rfind("ORVANTIS == : AN OLD LINE", 0) == 0, userHadThem);
        if (!userHadThem) {
            EXPECT_FALSE(fs::exists(user.log));
        }
    }
    fs::remove(user.flag);
    fs::remove(user.log);
}

TEST_F(ToolPreview, IdsFromStandardInput) {
    fs::remove(scratch / "record.txt");
    writeText(scratch / "canned.ini", kCannedList);
    const Outcome outcome = runTool({"preview", cdrom().string(), "--cdrom", "--ids-file", "-",
                                     "--allow-empty", "--library", recordingLibraryFile().string()},
                                    {{"MFGLIST_FAKE_RECORD", (scratch / "record.txt").string()}},
                                    "1A2B0001C0DE0101\n# not an ID\nACPI0003\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(calls().at(1).rfind("create|2|<1A2B0001C0DE0101>,<ACPI0003>|", 0), 0u);
}

// Each entry's section comes from the core's own run of the same call, and
// only while that run's list is the loaded library's, byte for byte.
TEST_F(ToolPreview, NamesTheSectionEachEntryCameFrom) {
    const std::string ids = (examples() / "ids.txt").string();
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::vector<std::string> sources;  // "file:line [SECTION]" by position
    } cases[] = {
        {"factory driver list",
         {factory().string()},
         {"MfgProc.ini:23 [CHIPSET]", "MfgProc.ini:37 [VGA]", "MfgProc.ini:53 [AUDIO]",
          "MfgProc.ini:67 [LAN]", "MfgProc.ini:76 [HOTFIX_USB]"}},
        {"factory software list, the library named",
         {factory().string(), "--kind", "software", "--id", "BACKUP", "--id", "MEDIAPLAYER",
          "--library", libraryFile().string()},
         {"MfgProc.ini:95 [MEDIAPLAYER]", "MfgProc.ini:106 [BACKUP]"}},
        {"complete software list",
         {factory().string(), "--kind", "all-software"},
         {"MfgProc.ini:95 [MEDIAPLAYER]", "MfgProc.ini:106 [BACKUP]",
          "MfgProc.ini:117 [RECOVERY]"}},
        {"CD-ROM driver list, kept",
         {cdrom().string(), "--cdrom", "--ids-file", ids, "--output",
          (scratch / "kept.ini").string()},
         {"DrvProc.ini:30 [HOTFIX_USB]", "DrvProc.ini:108 [HOTFIX_SATA]",
          "DrvProc.ini:41 [CHIPSET]", "DrvProc.ini:51 [VGA_C0DE]", "DrvProc.ini:62 [LAN]",
          "DrvProc.ini:18 [AUDIO]", "DrvProc.ini:117 [POWER]", "DrvProc.ini:98 [CARDREADER]",
          "DrvCofg.ini:4 [HOTKEYS]", "DrvCofg.ini:14 [IME_PATCH]", "DrvCofg.ini:31 [BATTERY]"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "preview");
        args.push_back("--json");
        const Outcome json = runTool(args);
        ASSERT_EQ(json.status, 0) << json.err;
        EXPECT_EQ(json.err, "");
        std::vector<std::string> sources;
        const nlohmann::json document = nlohmann::json::parse(json.out);
        for (const nlohmann::json& entry : document["list"]["entries"])
            sources.push_back(entry["source"]["file"].get<std::string>() + ":" +
                              std::to_string(entry["source"]["line"].get<int>()) + " [" +
                              entry["source"]["section"].get<std::string>() + "]");
        EXPECT_EQ(sources, c.sources);
        args.back() = "--width=200";
        const std::string table = runTool(args).out;
        for (const std::string& source : c.sources)
            EXPECT_NE(table.find("  " + source + "\n"), std::string::npos) << source << table;
    }
    // A narrow table cuts a source's section, never its file name and line
    // (nor a HARDID: 90 columns is as narrow as whole IDs and places allow).
    const Outcome narrow = runTool({"preview", factory().string(), "--width", "90"});
    for (const std::string& line : lines(narrow.out)) EXPECT_LE(line.size(), 90u) << line;
    EXPECT_NE(narrow.out.find("  MfgProc.ini:76\n"), std::string::npos) << narrow.out;
}

TEST_F(ToolPreview, ListsThatDisagreeGetNoSources) {
    // The recording library's canned list is not the one the core writes.
    const Outcome outcome = preview({factory().string(), "--json"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.err.find("mfglist: note: no sources: "), std::string::npos) << outcome.err;
    const nlohmann::json document = nlohmann::json::parse(outcome.out);
    EXPECT_NE(document.value("source_note", "").find("different list"), std::string::npos);
    for (const nlohmann::json& entry : document["list"]["entries"])
        EXPECT_FALSE(entry.contains("source"));
    EXPECT_EQ(preview({factory().string()}).out.find("SOURCE"), std::string::npos);
}

// With the real library: a group without entries gives a list without
// entries, whether or not the library writes a SYSTEM section for it.
TEST_F(ToolPreview, RealLibraryGroupWithoutEntries) {
    const Outcome outcome =
        runTool({"preview", factory().string(), "--group", "NOSUCHGROUP", "--allow-empty"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("the list has no entries"), std::string::npos) << outcome.out;
    // The build tree's file by its plain name (on Linux libmfglist.so, the
    // link to the versioned file): "Library   FOLDER/src/NAME".
    const std::size_t line = outcome.out.find("\nLibrary ");
    ASSERT_NE(line, std::string::npos) << outcome.out;
    std::string shown = outcome.out.substr(line + 9, outcome.out.find('\n', line + 1) - line - 9);
    shown.erase(0, shown.find_first_not_of(' '));
    if (!shown.empty() && shown.back() == '\r') shown.pop_back();
    EXPECT_EQ(fs::path(shown).filename().string(), mfgtool::libraryFileName()) << shown;
    EXPECT_EQ(fs::path(shown).parent_path().filename().string(), "src")
        << "the default library is the build tree's: " << shown;
}

}  // namespace
}  // namespace mfgtool::test
