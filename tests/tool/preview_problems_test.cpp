// What preview (and explain, and lint) say beyond the list file: entries a
// host cannot run as listed, a CD-ROM file of the list kind that is missing,
// an IDs file without IDs, a process file the library cannot read.
#include <nlohmann/json.hpp>

#include "support/tool/json_schema_check.h"
#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

class PreviewProblems : public ToolTest {
protected:
    void expectSchema(const nlohmann::json& document) {
        for (const std::string& problem :
             schemaViolations(nlohmann::json::parse(readText(MFGLIST_SCHEMA_FILE)), document))
            ADD_FAILURE() << problem;
    }
};

TEST_F(PreviewProblems, AMissingCdromFileOfTheListKindHasItsOwnStatus) {
    const std::string ids = (examples() / "ids.txt").string();
    fs::remove(cdrom() / "DrvProc.ini");
    const std::vector<std::string> run = {"preview", cdrom().string(), "--cdrom", "--ids-file",
                                          ids};
    const Outcome text = runTool(run);
    EXPECT_EQ(text.status, 6) << text.err;
    EXPECT_NE(text.err.find("DrvProc.ini is missing from"), std::string::npos) << text.err;
    EXPECT_NE(text.err.find("--allow-missing"), std::string::npos) << text.err;
    std::vector<std::string> json = run;
    json.push_back("--json");
    const nlohmann::json document = nlohmann::json::parse(runTool(json).out);
    expectSchema(document);
    EXPECT_EQ(document["status"], "incomplete");
    EXPECT_EQ(document["exit_status"], 6);
    ASSERT_EQ(document["problems"].size(), 1u);
    EXPECT_EQ(document["list"]["entries"].size(), 3u);  // DrvCofg.ini's
    std::vector<std::string> allowed = run;
    allowed.push_back("--allow-missing");
    EXPECT_EQ(runTool(allowed).status, 0);
    // The software list reads SoftProc.ini only: it is complete.
    EXPECT_EQ(runTool({"preview", cdrom().string(), "--cdrom", "--kind", "software", "--ids-file",
                       (examples() / "packages.txt").string()})
                  .status,
              0);
}

TEST_F(PreviewProblems, EntriesAHostCannotRunAreMarkedAndListed) {
    const fs::path folder = scratch / "f";
    fs::create_directories(folder);
    writeText(folder / "MfgProc.ini",
              "[PRELOAD]\r\nLOG_FILE=X.LOG\r\n[OK]\r\nGROUP=PRELOAD\r\nEXEPATH=$TESTDIR\\OK.EXE\r\n"
              "[REL]\r\nGROUP=PRELOAD\r\nEXEPATH=A.EXE\r\n[EMPTY]\r\nGROUP=PRELOAD\r\nNAME=E\r\n"
              "[MACRO]\r\nGROUP=PRELOAD\r\nEXEPATH=$testdir\\X.EXE\r\n");
    writeText(scratch / "ids.txt", "# only a comment\r\n\r\n");
    const Outcome text = runTool({"preview", folder.string(), "--width", "120", "--ids-file",
                                  (scratch / "ids.txt").string()});
    EXPECT_EQ(text.status, 0) << text.err;
    for (const char* mark : {"  0  ", "  1!  ", "  2!  ", "  3!  "})
        EXPECT_NE(text.out.find(mark), std::string::npos) << mark << "\n" << text.out;
    const nlohmann::json document =
        nlohmann::json::parse(runTool({"preview", folder.string(), "--json", "--ids-file",
                                       (scratch / "ids.txt").string()})
                                  .out);
    expectSchema(document);
    EXPECT_EQ(document["problems"],
              nlohmann::json::array(
                  {"the IDs file holds no ID (only blank or comment lines): only what needs no "
                   "ID is listed",
                   "entry 1 (): EXEPATH A.EXE is relative: the host runs it from wherever it "
                   "stands",
                   "entry 2 (E): EXEPATH is empty: nothing to run on Windows xp",
                   "entry 3 (): EXEPATH $testdir\\X.EXE keeps a macro or '%' the library did "
                   "not expand"}));
}

TEST_F(PreviewProblems, AProcessFileThatIsAFolderIsSaidSoByEveryCommand) {
    const fs::path folder = scratch / "f";
    fs::create_directories(folder / "MfgProc.ini");
    const std::string words = "MfgProc.ini in ";
    const std::string what = " is a folder, not a file: the library reads nothing from it";
    // The library fails to read it and leaves the list as it was: a failed run.
    for (const char* command : {"preview", "explain"}) {
        const Outcome outcome = runTool({command, folder.string()});
        EXPECT_EQ(outcome.status, 5) << command;
        EXPECT_NE(outcome.err.find("mfglist: warning: " + words + folder.string() + what),
                  std::string::npos)
            << command << ": " << outcome.err;
        EXPECT_NE(outcome.err.find("mfglist: run failed: "), std::string::npos) << outcome.err;
    }
    expectOneErrorLine(runTool({"lint", folder.string()}), words + folder.string() + what);
}

TEST_F(PreviewProblems, ExplainAdvisesOnlyOptionsTheModeTakes) {
    const Outcome cd = runTool({"explain", cdrom().string(), "--cdrom", "--id", "X"});
    EXPECT_EQ(cd.out.find("--callfactory"), std::string::npos) << cd.out;
    EXPECT_EQ(runTool({"preview", cdrom().string(), "--cdrom", "--callfactory"}).status, 2);
    EXPECT_NE(runTool({"explain", factory().string()}).out.find("read only with --callfactory"),
              std::string::npos);
    // A header a lookup by name cannot find is not called the group's
    // settings section as if it were read.
    const std::string file = readText(factory() / "MfgProc.ini");
    writeText(factory() / "MfgProc.ini", file.substr(0, file.find("[PRELOAD]")) + "[PRELOAD]]" +
                                             file.substr(file.find("[PRELOAD]") + 9));
    EXPECT_NE(runTool({"explain", factory().string()})
                  .out.find("[PRELOAD]  left out: no GROUP: named as group PRELOAD's settings "
                            "section, but the library reads none of its settings from it"),
              std::string::npos);
}

}  // namespace
}  // namespace mfgtool::test
