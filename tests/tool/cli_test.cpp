// What the user meets at the command line: every bad use ends with one line
// saying what to do and the status of its kind, and --help explains each
// command.
#include <string>
#include <vector>

#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

struct BadUse {
    const char* what;
    std::vector<std::string> args;
    int status;
    std::string message;
};

class ToolBadUse : public ToolTest {};

TEST_F(ToolBadUse, EachGivesItsLineAndStatus) {
    const std::string factoryFolder = factory().string();
    const std::string cdromFolder = cdrom().string();
    writeText(scratch / "not-a-library", "text, not a program\n");
    const std::string idsNotInCodePage = (scratch / "ids-utf8.txt").string();
    writeText(idsNotInCodePage, "ACPI0003\n\xE3\x83\x89\n");  // U+30C9, not in 1252
    const std::vector<std::string> host = {"host", "--command-line", "SETUP.EXE -P C:\\PROC",
                                           "--output", "C:\\LIST.INI"};
    const auto withHost = [&](std::vector<std::string> more) {
        std::vector<std::string> args = host;
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };
    // One case a line or two, read as a table.
    // clang-format off
    std::vector<BadUse> cases = {
        {"no command", {}, 2, "choose a command"},
        {"unknown command", {"frobnicate"}, 2, "unknown command frobnicate"},
        {"completions for an unknown shell", {"completions", "tcsh"}, 2,
         "no completions for the shell tcsh"},
        {"unknown option", {"preview", factoryFolder, "--frobnicate"}, 2, "--frobnicate"},
        {"no folder given", {"preview"}, 2, "FOLDER is required"},
        {"folder missing", {"preview", (scratch / "nowhere").string()}, 2, "no folder"},
        {"folder is a file", {"preview", (factory() / "MfgProc.ini").string()}, 2,
         "is not a folder"},
        {"no process file", {"preview", cdromFolder}, 2, "add --cdrom"},
        {"process file in CD-ROM mode", {"preview", factoryFolder, "--cdrom"}, 2,
         "holds MfgProc.ini"},
        {"callfactory in CD-ROM mode", {"preview", cdromFolder, "--cdrom", "--callfactory"}, 2,
         "--callfactory has no effect"},
        {"64-bit Vista", {"preview", factoryFolder, "--windows", "vista64"}, 2,
         "no detection for 64-bit Vista"},
        {"unknown list kind", {"preview", factoryFolder, "--kind", "printer"}, 2,
         "unknown list kind printer"},
        {"IDs for the complete software list",
         {"preview", factoryFolder, "--kind", "all-software", "--id", "BACKUP"}, 2,
         "takes no IDs"},
        {"IDs file missing",
         {"preview", factoryFolder, "--ids-file", (scratch / "none.txt").string()}, 2,
         "cannot read the IDs file"},
        {"empty group", {"preview", factoryFolder, "--group", ""}, 2, "needs a group name"},
        {"group that would start an option", {"preview", factoryFolder, "--group", "A -F"}, 2,
         "new option"},
        {"output folder missing",
         {"preview", factoryFolder, "--output", (scratch / "no" / "list.ini").string()}, 2,
         "no folder"},
        {"host without command line", {"host", "--output", "C:\\LIST.INI"}, 2,
         "--command-line is required"},
        {"host drive not a number", withHost({"--drive", "two"}), 2, "--drive"},
        {"host IDs for the complete software list",
         withHost({"--all-software", "--id", "BACKUP"}), 2, "passes no IDs"},
        {"library missing",
         {"preview", factoryFolder, "--library", (scratch / "none.lib").string()}, 3,
         "no library file"},
        {"library not a program",
         {"preview", factoryFolder, "--library", (scratch / "not-a-library").string()}, 3,
         "cannot load"},
        {"library lacks exports",
         {"preview", factoryFolder, "--library", partialLibraryFile().string()}, 3,
         "does not export MFG_CreateIniFile"},
        {"host library lacks exports", withHost({"--library", partialLibraryFile().string()}), 3,
         "does not export MFG_CreateIniFile"},
        {"table narrower than it can be", {"preview", factoryFolder, "--width", "5"}, 2,
         "give 20 columns or more"},
        {"ID the code page cannot hold", {"preview", factoryFolder, "--ids-file", idsNotInCodePage},
         2, "line 2: \"\xE3\x83\x89\" has a character that code page 1252"},
        {"diff of a missing file", {"diff", (scratch / "a.ini").string(), factoryFolder}, 2,
         "cannot read"},
    };
    // clang-format on
    if (hostDrives(scratch)) {  // Linux: the machine's shape is checked before the call
        cases.push_back(
            {"drive map without '='", withHost({"--drives", "C:/tmp"}), 2, "is not LETTER=FOLDER"});
        cases.push_back({"drive map to no folder",
                         withHost({"--drives", "C=" + (scratch / "none").string()}), 2,
                         "which is not a folder"});
        cases.push_back({"drive map to a relative folder", withHost({"--drives", "C=examples"}), 2,
                         "a relative folder"});
        cases.push_back(
            {"version not a version", withHost({"--winver", "vista"}), 2, "is not MAJOR.MINOR"});
    } else {  // Windows: the real machine cannot be reshaped
        cases.push_back({"drive map on Windows", withHost({"--drives", "C=/srv/c"}), 2,
                         "--drives is for the Linux build"});
        cases.push_back({"version on Windows", withHost({"--winver", "6.0"}), 2,
                         "--winver is for the Linux build"});
    }
    for (const BadUse& bad : cases) {
        SCOPED_TRACE(bad.what);
        const Outcome outcome = runTool(bad.args);
        EXPECT_EQ(outcome.status, bad.status);
        expectOneErrorLine(outcome, bad.message);
    }
}

// The library's Windows version is the tool's to choose on both builds: on
// Windows through the library's own version query.
TEST_F(ToolBadUse, EitherWindowsVersionCanBePreviewedOnEitherBuild) {
    for (const char* windows : {"xp", "vista"}) {
        const Outcome outcome =
            runTool({"preview", factory().string(), "--windows", windows, "--allow-empty",
                     "--library", recordingLibraryFile().string()});
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_NE(outcome.out.find(std::string("for Windows ") + windows), std::string::npos);
    }
}

TEST(ToolHelp, EachCommandExplainsItselfWithExamples) {
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> shown;
    } cases[] = {
        {{"--help"},
         {"preview", "explain", "host", "diff", "lint", "ids", "matrix", "impact", "--version",
          "Exit status", "3 the library cannot be loaded", "4 the library wrote no list",
          "5 the library's run failed"}},
        {{"diff", "--help"}, {"A", "B", "--json", "added", "moved", "Examples:", "Exit status"}},
        {{"preview", "--help"},
         {"FOLDER", "--cdrom", "--group", "--callfactory", "--kind", "--id", "--ids-file",
          "--windows", "--output", "--trace", "--json", "--library", "--allow-empty", "--width",
          "Examples:", "mfglist preview examples/factory", "Exit status"}},
        {{"host", "--help"},
         {"--command-line", "--drive", "--kind", "--id", "--ids-file", "--all-software", "--output",
          "--allow-empty", "--drives", "--winver", "--library", "Examples:", "mfglist host",
          "Exit status"}},
        {{"explain", "--help"},
         {"FOLDER", "--cdrom", "--group", "--ids-file", "--json", "Examples:", "mfglist explain"}},
        {{"lint", "--help"},
         {"FOLDER", "--cdrom", "--disable", "--format", "--strict", "--baseline",
          "Examples:", "Exit status"}},
        {{"ids", "--help"}, {"--form", "--template", "--root", "Examples:", "mfglist ids"}},
        {{"matrix", "--help"},
         {"FOLDER", "--models", "--jobs", "--html", "--require-coverage",
          "Examples:", "Exit status"}},
        {{"impact", "--help"}, {"--models", "--git", "--markdown", "Examples:", "Exit status"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.size() > 1 ? c.args[0] : "mfglist");
        const Outcome outcome = runTool(c.args);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.err, "");
        for (const std::string& text : c.shown)
            EXPECT_NE(outcome.out.find(text), std::string::npos) << text;
    }
}

// The man page and each shell's completions are made from the parser
// --help prints: every command people use is there with every option its
// help names, and the hidden ones are not.
TEST(ToolReference, ManPageAndCompletionsNameEveryCommandAndOption) {
    const std::vector<std::vector<std::string>> outputs = {
        {"man-page"}, {"completions", "bash"}, {"completions", "zsh"}, {"completions", "fish"}};
    for (const auto& args : outputs) {
        SCOPED_TRACE(args.back());
        const Outcome outcome = runTool(args);
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        for (const char* command : {"preview", "explain", "host", "diff", "lint", "ids", "matrix",
                                    "impact", "completions"})
            EXPECT_NE(outcome.out.find(command), std::string::npos) << command;
        EXPECT_EQ(outcome.out.find("model-worker"), std::string::npos);
        // The man page writes each hyphen as \\-, fish names the long option.
        const auto spelled = [&](const std::string& option) {
            if (args[0] == "completions") return (args.back() == "fish" ? "-l " : "--") + option;
            std::string roff = "\\-\\-";
            for (const char c : option) roff += c == '-' ? std::string("\\-") : std::string(1, c);
            return roff;
        };
        for (const char* option : {"require-coverage", "write-baseline", "markdown", "ids-file"})
            EXPECT_NE(outcome.out.find(spelled(option)), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace mfgtool::test
