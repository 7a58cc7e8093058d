// A list run through the exports: the list object's life, the start-up from
// the host's command line and the trace it leaves.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/current_list.h"
#include "listjob/mfg_list.h"
#include "reader/parse_ini_file.h"
#include "support/list_run.h"

namespace mfg::test {
namespace {

using test::ScratchFolder;
using test::TraceCapture;
using test::upper;
using Lines = std::vector<std::string>;

class ListRun : public ::testing::Test {
protected:
    void SetUp() override { test::endListRun(); }
    void TearDown() override { test::endListRun(); }

    static CMfgList& start(const std::string& line, int drive = 0, int kind = MFG_LIST_DRIVER) {
        EXPECT_EQ(MFG_InitMfgList(kind, line.c_str(), drive), 1);
        if (!currentList()) throw std::runtime_error("no list object held");
        return *currentList();
    }
};

TEST_F(ListRun, CreateEndsTheRunAndCreateWithoutARunDoesNothing) {
    ScratchFolder dir("life");
    test::writeFile(dir / "DrvProc.ini", "[A]\r\n");
    start("X -T FIRST");
    CMfgList& list = start("X -T SECOND", 3, MFG_LIST_SOFTWARE);  // replaces the first
    EXPECT_EQ(list.startUp.groupName, "SECOND");
    for (int i = 0; i < 3; ++i) list.request.driverList.push_back(std::make_unique<ITEMINFO>());
    ASSERT_EQ(CParseIniFile::GetInstance()->OpenFile(dir / "DrvProc.ini"), 1);

    EXPECT_EQ(MFG_CreateIniFile(0, nullptr, ""), 1);
    EXPECT_EQ(currentList(), nullptr);
    EXPECT_EQ(CParseIniFile::GetInstance()->processFilePath(), "");  // a fresh reader
    CParseIniFile::ReleaseInstance();

    TraceCapture trace;
    const char* ids[] = {"PCI\\VEN_8086"};
    EXPECT_EQ(MFG_CreateIniFile(1, ids, (dir / "LIST.INI").c_str()), 1);
    EXPECT_EQ(MFG_CreateAllSoftIniFile((dir / "LIST.INI").c_str()), 1);
    EXPECT_EQ(MFG_CreateAllSoftIniFile(nullptr), 1);
    EXPECT_FALSE(test::fileExists(dir / "LIST.INI"));
    EXPECT_EQ(trace.lines(), Lines{});
}

TEST_F(ListRun, ConstructionKeepsTheListKindAndTheDriveNumbersLowByte) {
    const struct {
        int drive, kind;
        const char* workDir;
    } cases[] = {{0, MFG_LIST_DRIVER, ""},
                 {256, MFG_LIST_SOFTWARE, ""},
                 {-256, 7, ""},
                 {2, -1, "c:\\"},
                 {3, MFG_LIST_DRIVER, "d:\\"},
                 {0x102, MFG_LIST_DRIVER, "c:\\"},
                 {-254, MFG_LIST_DRIVER, "c:\\"}};
    for (const auto& c : cases) {
        const CMfgList& list = start("", c.drive, c.kind);  // an empty line sets nothing
        EXPECT_EQ(list.startUp.workDir, c.workDir) << c.drive;
        EXPECT_EQ(list.startUp.listKind, c.kind);
        EXPECT_EQ(list.startUp.callFactory + list.startUp.cdRom + list.request.entriesWritten +
                      list.startUp.osVariant,
                  0);
        EXPECT_EQ(list.startUp.procFile + list.startUp.procDir + list.startUp.groupName +
                      list.request.packetName + list.request.sectionName + list.request.outputPath,
                  "");
    }
}

TEST_F(ListRun, NullPointersFromTheHostAreEmptyTextsAndSaidSo) {
    TraceCapture trace;
    EXPECT_EQ(MFG_InitMfgList(MFG_LIST_DRIVER, nullptr, 2), 1);
    EXPECT_EQ(trace.lines(), (Lines{"===== NULL COMMAND LINE FROM HOST, TAKEN AS EMPTY",
                                    "===== COMMAND = ", "OSVERSION = WIN_XP32"}));
    trace.clear();
    const char* idsWithHole[] = {"PCI\\VEN_1", nullptr};
    EXPECT_EQ(MFG_CreateIniFile(2, idsWithHole, nullptr), 1);
    start("");
    EXPECT_EQ(MFG_CreateIniFile(3, nullptr, ""), 1);
    Lines reported;
    for (const std::string& line : trace.lines())
        if (line.rfind("===== NULL ", 0) == 0) reported.push_back(line);
    EXPECT_EQ(reported, (Lines{"===== NULL ID AT INDEX 1 FROM HOST, TAKEN AS EMPTY",
                               "===== NULL OUTPUT PATH FROM HOST, TAKEN AS EMPTY",
                               "===== NULL ID ARRAY FROM HOST FOR 3 IDS, NO IDS TAKEN"}));
    // Without a count the array is never read, even at an address that faults.
    const auto* unreadable = reinterpret_cast<const char* const*>(std::uintptr_t{16});
    for (int count : {0, -1}) {
        start("");
        EXPECT_EQ(MFG_CreateIniFile(count, unreadable, ""), 1);
    }
}

TEST_F(ListRun, StartUpTracesEveryDecision) {
    ScratchFolder dir("trace");
    test::makeFolder(dir / "FOUND");
    test::writeFile(dir / "FOUND\\MfgProc.ini", "");
    const std::string found = upper(dir / "FOUND\\"), missing = upper(dir / "MISSING\\");
    const std::string own = test::ownFolder();
    const struct {
        std::string line;
        Lines expected;
    } cases[] = {
        {"C:\\Tools\\Setup.exe -p " + dir.path() + "found -t preload -f",
         {"===== SET CALLFACTORY = TRUE ", "===== WORKDIR = " + own, "===== GROUPNAME = PRELOAD",
          "===== MFGPATH = " + found}},
        {"X -F -D " + missing + " -T GRP",
         {"===== SET CALLFACTORY = TRUE ",
          "===== NOT FIND = " + missing + "MfgProc.ini ,BY CDROM PROCFILE",
          "===== (1) SET CALLFACTORY = FALSE ", "===== (2) SET CDROM = TRUE ",
          "===== WORKDIR = " + missing, "===== GROUPNAME = GRP", "===== MFGPATH = " + missing}},
        {"X -P " + dir.path() + "found -cdrom",
         {"===== RUN BY CDROM OR RUN DRVINST NOT PARAM", "===== (1) SET CALLFACTORY = FALSE ",
          "===== (2) SET CDROM = TRUE ", "===== (3) SET WORKPATH = CURRENT ",
          "===== (4) SET MFGFILE = CONFIG "}},
        {"", {}},
    };
    for (const auto& c : cases) {
        TraceCapture trace;
        start(c.line);
        Lines expected = c.expected;
        expected.insert(expected.begin(), "===== COMMAND = " + c.line);
        expected.push_back("OSVERSION = WIN_XP32");
        EXPECT_EQ(trace.lines(), expected);
    }
}

TEST_F(ListRun, OptionsSetTheFoldersTheGroupAndTheMode) {
    ScratchFolder dir("options");
    test::makeFolder(dir / "FOLDER\\MfgProc.ini");  // a folder of that name counts
    test::writeFile("C:\\MfgProc.ini", "");
    const std::string own = test::ownFolder(), folder = upper(dir / "FOLDER\\");
    constexpr int kAny = -1;
    const struct {
        int drive;
        std::string line, workDir, procDir, group;
        int cdRom, callFactory;
    } cases[] = {
        {0, "X -D C:\\WORK", "C:\\WORK\\", "C:\\WORK\\", "PRELOAD", 1, 0},
        {0, "X -d c:\\work\\ -f", "C:\\WORK\\", "C:\\WORK\\", "PRELOAD", 1, 0},
        {0, "X -D", "\\", "\\", "PRELOAD", kAny, 0},
        {0, "X -D   ", "\\", "\\", "PRELOAD", kAny, 0},
        {0, "X -P c:\\proc", own, "C:\\PROC\\", "PRELOAD", 1, 0},
        {0, "X -P " + folder + " -F -t  my group ", own, folder, "MY GROUP", 0, 1},
        // Hyphens inside values belong to the values.
        {0, "X -P C:\\MY-PROC", own, "C:\\MY-PROC\\", "PRELOAD", 1, 0},
        {0, "X -D D:\\WIN-XP -T T-1", "D:\\WIN-XP\\", "D:\\WIN-XP\\", "T-1", 1, 0},
        // A later option wins, other letters and hyphens standing alone are
        // skipped; two hyphens in a row end the options.
        {0, "X -D C:\\A -D C:\\B -Q ANY - -Z", "C:\\B\\", "C:\\B\\", "PRELOAD", 1, 0},
        {0, "X -D C:\\A - -D C:\\B", "C:\\B\\", "C:\\B\\", "PRELOAD", 1, 0},
        {0, "X -D C:\\A -- -D C:\\B", "C:\\A\\", "C:\\A\\", "PRELOAD", 1, 0},
        {0, "X\t-T\tTABBED", own, own, "TABBED", kAny, 0},
        // Text before the first option is the host's program, whatever it
        // looks like; the line may also start with an option.
        {0, "D:\\TOOLS\\SETUP.EXE", own, own, "PRELOAD", kAny, 0},
        {0, "-T FIRST", own, own, "FIRST", kAny, 0},
        {2, "C:\\SETUP.EXE", "c:\\", "c:\\", "PRELOAD", 0, 0},
        // -CDROM anywhere, even inside a word, and no other option counts.
        {0, "C:\\MY-CDROMTOOL.EXE -P C:\\PROC -D C:\\W -T G -F", own, own, "PRELOAD", 1, 0},
    };
    for (const auto& c : cases) {
        const CMfgList& list = start(c.line, c.drive);
        EXPECT_EQ(list.startUp.workDir, c.workDir) << c.line;
        EXPECT_EQ(list.startUp.procDir, c.procDir) << c.line;
        const bool cdRomSwitch = c.line.find("CDROM") != std::string::npos;
        EXPECT_EQ(list.startUp.procFile, cdRomSwitch ? "" : c.procDir + "MfgProc.ini") << c.line;
        EXPECT_EQ(list.startUp.groupName, c.group) << c.line;
        if (c.cdRom != kAny) {
            EXPECT_EQ(list.startUp.cdRom, c.cdRom) << c.line;
        }
        EXPECT_EQ(list.startUp.callFactory, c.callFactory) << c.line;
    }
    test::removeFile("C:\\MfgProc.ini");
}

TEST_F(ListRun, CommandLineIsReadByCharactersOfTheCodePage) {
    // In 932, 0x95 0x5C and 0x82 0x61 are single characters whose trail bytes
    // are a backslash and a lower-case a in 1252.
    const struct {
        unsigned codePage;
        std::string procDir, group;
    } cases[] = {{932, "C:\\\x95\x5C\\", "\x82\x61X"}, {1252, "C:\\\x95\x5C", "\x82\x41X"}};
    for (const auto& c : cases) {
        CMfgList list(MFG_LIST_DRIVER, "", 0);
        EXPECT_EQ(
            list.ParseCommandLine("X -P C:\\\x95\x5C -T \x82\x61x", text::CodePage(c.codePage)), 1);
        EXPECT_EQ(list.startUp.procDir, c.procDir) << c.codePage;
        EXPECT_EQ(list.startUp.groupName, c.group) << c.codePage;
    }
}

}  // namespace
}  // namespace mfg::test
