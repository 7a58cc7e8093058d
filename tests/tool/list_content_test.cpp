// What the real library lists for the example tree, worked out by hand from
// the process files: group and type filters, the 8/16-character HARDID rule,
// TYPE rank ordering, macros.  Registered apart (tool_list_content) and
// enabled when the list flows land.
#include <functional>
#include <nlohmann/json.hpp>

#include "support/tool/host_fixture.h"

namespace mfgtool::test {
namespace {

using Json = nlohmann::json;

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class ToolListContent : public ToolHost {
protected:
    Json previewJson(std::vector<std::string> args) {
        args.insert(args.begin(), "preview");
        args.push_back("--json");
        const Outcome outcome = runTool(args);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        return Json::parse(outcome.out);
    }
    static std::vector<std::string> names(const Json& list) {
        std::vector<std::string> result;
        for (const Json& entry : list["list"]["entries"]) result.push_back(entry["keys"]["NAME"]);
        return result;
    }
    static Json system(const Json& list) { return list["list"]["system"]["keys"]; }
    // A copy, so that a missing key reads as null instead of asserting.
    static Json entryNamed(const Json& list, const std::string& name) {
        for (const Json& entry : list["list"]["entries"])
            if (entry["keys"]["NAME"] == name) return entry["keys"];
        ADD_FAILURE() << "no entry " << name;
        return Json::object();
    }
};

TEST_F(ToolListContent, PreviewOfTheExampleTree) {
    const std::string ids = (examples() / "ids.txt").string();
    const std::string packages = (examples() / "packages.txt").string();
    // The JSON names the previewed folder "<folder>\", the same on every
    // run and build.
    const std::string f = "<folder>\\";
    const std::string c = "<folder>\\";
    using Check = std::function<void(const Json&)>;
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::vector<std::string> names;
        Check check;
    } cases[] = {
        {"process file: every driver of the group, in file order, IDs not matched",
         {factory().string(), "--ids-file", ids},
         {"Chipset support", "Display driver", "Audio driver", "LANDRV", "USB storage hotfix"},
         [&](const Json& list) {
             EXPECT_EQ(system(list)["COUNT"], 5);
             EXPECT_TRUE(endsWith(system(list)["LOG_FILE"], "\\LOGS\\PRELOAD.LOG"));
             EXPECT_EQ(system(list)["HOTKEY"], "") << "settings need --callfactory";
             EXPECT_EQ(system(list)["DEBUG"], 0);
             Json vga = entryNamed(list, "Display driver");
             EXPECT_EQ(vga["EXEPATH"], f + "DRIVERS\\VGA\\VGASETUP.EXE");
             EXPECT_TRUE(endsWith(vga["LOGFILE"], "\\LOGS\\VGA.LOG"));
             EXPECT_EQ(entryNamed(list, "Chipset support")["EXEPATH"],
                       f + "DRIVERS\\CHIPSET\\SETUP.EXE");
             EXPECT_EQ(upper(entryNamed(list, "USB storage hotfix")["COMMANDLINE"]),
                       "/QUIET /LOG:C:\\WINDOWS\\TEMP\\USBFIX.LOG");
         }},
        {"process file: second group with its settings",
         {factory().string(), "--group", "REWORK", "--callfactory"},
         {"Display driver, rework", "Firmware check"},
         [&](const Json& list) {
             EXPECT_EQ(system(list)["HOTKEY"], "CTRL+ALT+F11");
             EXPECT_EQ(system(list)["DEBUG"], 1);
             EXPECT_EQ(system(list)["LANGUAGEID"], "0407");
             EXPECT_EQ(upper(system(list)["LOG_FILE"]), "C:\\WINDOWS\\TEMP\\REWORK.LOG");
         }},
        {"process file: software by package name",
         {factory().string(), "--kind", "software", "--ids-file", packages},
         {"Media player", "Recovery partition tool"},
         [&](const Json& list) {
             EXPECT_EQ(entryNamed(list, "Recovery partition tool")["LOGFILE"],
                       "C:\\WINDOWS\\TEMP\\RECOVERY.LOG");
         }},
        {"process file: complete software list",
         {factory().string(), "--kind", "all-software"},
         {"Media player", "Backup utility", "Recovery partition tool"},
         [&](const Json& list) {
             EXPECT_EQ(entryNamed(list, "Backup utility")["SELECTPATH"],
                       "$TESTDIR\\SELECT\\BACKUP.SEL");
         }},
        {"CD-ROM: matched drivers by rank and ID, then the ones for every machine",
         {cdrom().string(), "--cdrom", "--ids-file", ids},
         {"USB storage hotfix", "SATA hotfix", "Chipset support", "Display driver, C0DE board",
          "Network driver", "Audio driver", "Power management", "Card reader driver",
          "Hot key driver", "Input method patch", "Battery monitor"},
         [&](const Json& list) {
             EXPECT_EQ(system(list)["COUNT"], 11);
             EXPECT_EQ(system(list)["LOG_FILE"], "");
             EXPECT_EQ(system(list)["DEBUG"], "");
             Json vga = entryNamed(list, "Display driver, C0DE board");
             EXPECT_FALSE(vga.contains("DESCRIPTION"));
             EXPECT_EQ(vga["EXEPATH"], c + "VGA_C0DE\\XP\\SETUP.EXE");
             EXPECT_EQ(entryNamed(list, "Audio driver")["LOGFILE"], c + "LOGS\\AUDIO.LOG");
         }},
        {"CD-ROM: software by package name",
         {cdrom().string(), "--cdrom", "--kind", "software", "--ids-file", packages},
         {"Media player", "PHOTOEDIT"},
         [&](const Json& list) {
             EXPECT_EQ(system(list)["LOG_FILE"], c + "LOGS\\SOFTWARE.LOG");
             EXPECT_EQ(system(list)["DEBUG"], 0) << "CD-ROM mode reads LOG_FILE only";
         }},
        {"CD-ROM: complete software list",
         {cdrom().string(), "--cdrom", "--kind", "all-software"},
         {"Media player", "Backup utility", "PHOTOEDIT"},
         [](const Json&) {}},
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.what);
        const Json list = previewJson(run.args);
        EXPECT_EQ(names(list), run.names);
        if (names(list) == run.names) run.check(list);
    }
}

// On Windows too: the tool answers the library's version query.
TEST_F(ToolListContent, VistaPathsOnEitherBuild) {
    const Json list = previewJson({cdrom().string(), "--cdrom", "--windows", "vista", "--ids-file",
                                   (examples() / "ids.txt").string()});
    EXPECT_EQ(entryNamed(list, "Display driver, C0DE board")["EXEPATH"],
              "<folder>\\VGA_C0DE\\VISTA\\SETUP.EXE");
    EXPECT_EQ(entryNamed(list, "SATA hotfix")["EXEPATH"], "") << "no Vista path, no fallback";
}

TEST_F(ToolListContent, TableAndTraceOfARun) {
    const Outcome outcome = runTool({"preview", cdrom().string(), "--cdrom", "--trace",
                                     "--ids-file", (examples() / "ids.txt").string()},
                                    {{"COLUMNS", "200"}});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    std::size_t at = 0;
    for (const char* name : {"USB storage hotfix", "SATA hotfix", "Chipset support",
                             "Card reader driver", "Battery monitor"}) {
        const std::size_t found = outcome.out.find(name, at);
        EXPECT_NE(found, std::string::npos) << name;
        at = found;
    }
    EXPECT_NE(outcome.out.find("===== COMMAND = mfglist -D "), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("IS EXIST , NOT ADD"), std::string::npos) << "LAN_OLD refused";
}

TEST_F(ToolListContent, HostListFileEqualsADirectCallByteForByte) {
    for (const HostCall& call : factoryCalls()) {
        SCOPED_TRACE(call.what);
        const auto [viaHost, direct] = bothWays(call);
        EXPECT_NE(viaHost.find("[0]"), std::string::npos) << "the call lists entries";
        EXPECT_EQ(viaHost, direct);
    }
}

}  // namespace
}  // namespace mfgtool::test
