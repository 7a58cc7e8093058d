// The list file's sections written by the list writer itself: the SYSTEM
// settings, the two entry forms, and what becomes of a list file that is
// already there or cannot be written.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "items/iteminfo.h"
#include "list_examples.h"
#include "list_run_support.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "output/list_file.h"
#include "output/systeminfo.h"

namespace mfg {
namespace {

using Lines = std::vector<std::string>;

template <std::size_t N>
void set(char (&field)[N], const std::string& value) {
    std::strncpy(field, value.c_str(), N - 1);
}

ITEMINFO sampleEntry() {
    ITEMINFO e{};
    set(e.group, "PRELOAD");
    set(e.packetName, "VGA");  // and no NAME
    e.id = 30;
    set(e.hardId, "5E6F7A8B");
    set(e.description, "Display");
    set(e.selectPath, "SEL");
    set(e.exePath, "XP.EXE");
    set(e.exePathVista32, "V32.EXE");
    set(e.exePathVista64, "V64.EXE");
    set(e.packetPath, "C:\\WORK\\");
    set(e.type, "DISPLAY");
    e.timeout = -1;
    e.resultValue = 3010;
    set(e.version, "1.0");
    set(e.commandLine, "-q");
    set(e.logFile, "C:\\VGA.LOG");
    e.firstRebootCount = 2;
    e.rebootCount = 1;
    return e;
}

// sampleEntry() as both forms write it, with `exe` under EXEPATH.
std::string sampleSection(const std::string& name, const std::string& exe, bool description) {
    return "[" + name + "]\r\nGROUP=PRELOAD\r\nNAME=VGA\r\nID=30\r\nHARDID=5E6F7A8B\r\n" +
           (description ? "DESCRIPTION=Display\r\n" : "") + "SELECTPATH=SEL\r\nEXEPATH=" + exe +
           "\r\nPACKETPATH=C:\\WORK\\\r\nPACKETNAME=VGA\r\nTYPE=DISPLAY\r\nTIMEOUT=-1\r\n"
           "FIRST_TIMEOUT=0\r\nRESULTVALUE=3010\r\nVERSION=1.0\r\nCOMMANDLINE=-q\r\n"
           "LOGFILE=C:\\VGA.LOG\r\nFIRST_REBOOT_COUNT=2\r\nREBOOT_COUNT=1\r\nREDAYINSTALL=0\r\n";
}

class ListFileTest : public ::testing::Test {
protected:
    ListFileTest() : list(MFG_LIST_DRIVER, "", 0) {
        list.startUp.workDir = "C:\\WORK\\";
        list.startUp.groupName = "PRELOAD";
        list.startUp.procFile = dir / "MFG.INI";
        list.request.outputPath = out;
    }
    test::ScratchFolder dir{"listfile"};
    const std::string out = dir / "LIST.INI";
    CMfgList list;
};

TEST_F(ListFileTest, SystemSettingsFromTheGroupSection) {
    const struct {
        int callFactory;
        const char* debug;
        const char* written;  // DEBUG as written
    } cases[] = {{0, "TRUE", "0"}, {1, "True", "1"}, {1, "true", "1"}, {1, "1", "0"}, {1, "", "0"}};
    for (const auto& c : cases) {
        test::removeFile(out);
        test::writeFile(list.startUp.procFile,
                        std::string("[PRELOAD]\r\nLOG_FILE=$TESTDIR\\install.log\r\n"
                                    "LANGUAGEID=0409\r\nHOTKEY=F12\r\nDEBUG=") +
                            c.debug +
                            "\r\nRUN_BEGINTEST=%$testdir%begin.exe\r\n"
                            "RUN_ENDTEST=$SECTORNAME$PACKETNAMEend.exe\r\n");
        list.startUp.callFactory = c.callFactory;
        EXPECT_EQ(list.ReadSystemInfo(), 1);
        // Without -F only the log file is read; every path is expanded.
        const std::string factory = c.callFactory ? "F12" : "";
        EXPECT_EQ(test::readFile(out),
                  "[SYSTEM]\r\nINDEX=0\r\nCOUNT=0\r\nINSTALLSTATUS=0\r\n"
                  "LOG_FILE=C:\\WORK\\install.log\r\nHOTKEY=" +
                      factory + "\r\nDEBUG=" + c.written +
                      "\r\nLANGUAGEID=" + (c.callFactory ? "0409" : "") +
                      "\r\nRUN_BEGINTEST=" + (c.callFactory ? "C:\\WORK\\begin.exe" : "") +
                      "\r\nRUN_ENDTEST=" + (c.callFactory ? "end.exe" : "") + "\r\n")
            << c.callFactory << " " << c.debug;
    }
}

TEST_F(ListFileTest, MissingSettingsAndTooLongOnes) {
    test::TraceCapture trace;
    list.startUp.groupName = "NOSUCHGROUP";
    EXPECT_EQ(list.ReadSystemInfo(), 1);
    test::writeFile(list.startUp.procFile, "[PRELOAD]\r\nLOG_FILE=$TESTDIR$TESTDIR\r\n");
    list.startUp.groupName = "PRELOAD";
    list.startUp.workDir = "C:\\" + std::string(200, 'W') + "\\";
    EXPECT_EQ(list.ReadSystemInfo(), 1);
    EXPECT_EQ(test::readFile(out),
              "[SYSTEM]\r\nINDEX=0\r\nCOUNT=0\r\nINSTALLSTATUS=0\r\nLOG_FILE=" +
                  (list.startUp.workDir + list.startUp.workDir).substr(0, 259) +
                  "\r\nHOTKEY=\r\nDEBUG=0\r\nLANGUAGEID=\r\n"
                  "RUN_BEGINTEST=\r\nRUN_ENDTEST=\r\n");
    EXPECT_EQ(
        trace.lines(),
        (Lines{"LOG_FILE = ", "LANGUAGEID = ",
               "<READ SYSTEM>: VALUE TOO LONG ,CUT TO 259 : SECTION = PRELOAD ,KEY = LOG_FILE",
               "LOG_FILE = " + (list.startUp.workDir + list.startUp.workDir).substr(0, 259),
               "LANGUAGEID = "}));
}

TEST_F(ListFileTest, EntrySectionTakesTheExecutableOfTheOsVariant) {
    const struct {
        int osVariant;
        const char* exe;
    } cases[] = {
        {MFG_WIN_XP32, "XP.EXE"},
        {MFG_WIN_VISTA32, "V32.EXE"},
        {MFG_WIN_VISTA64, "V64.EXE"},
        {7, "XP.EXE"},
    };
    const ITEMINFO entry = sampleEntry();
    for (const auto& c : cases) {
        test::removeFile(out);
        list.startUp.osVariant = c.osVariant;
        list.request.entriesWritten = 4;
        EXPECT_EQ(list.WriteSection(kWriteEntryForm, nullptr, &entry), 1);
        EXPECT_EQ(test::readFile(out), sampleSection("4", c.exe, true)) << c.osVariant;
    }
}

TEST_F(ListFileTest, SystemFormWithoutSettingsAndEntryFormWithoutEntry) {
    test::TraceCapture trace;
    list.request.entriesWritten = 2;
    EXPECT_EQ(list.WriteSection(kWriteSystemForm, nullptr, nullptr), 1);
    EXPECT_EQ(list.WriteSection(kWriteEntryForm, nullptr, nullptr), 1);
    EXPECT_EQ(test::readFile(out), "[SYSTEM]\r\nINDEX=0\r\nCOUNT=2\r\nINSTALLSTATUS=0\r\n");
    EXPECT_EQ(trace.lines(), (Lines{"LOG_FILE = NULL", "LANGUAGEID = NULL"}));
}

TEST_F(ListFileTest, DriverListForm) {
    test::TraceCapture trace;
    list.startUp.osVariant = MFG_WIN_VISTA64;
    list.request.driverList.push_back(std::make_unique<ITEMINFO>(sampleEntry()));
    EXPECT_EQ(list.WriteDriverList(), 1);
    const std::string system =
        "[SYSTEM]\r\nINDEX=0\r\nCOUNT=1\r\nINSTALLSTATUS=0\r\nLOG_FILE=\r\nHOTKEY=\r\nDEBUG=\r\n"
        "LANGUAGEID=\r\nRUN_BEGINTEST=\r\nRUN_ENDTEST=\r\n";
    EXPECT_EQ(test::readFile(out), system + sampleSection("0", "V64.EXE", false));
    EXPECT_EQ(trace.lines(),
              (Lines{"LOG_FILE = NULL", "LANGUAGEID = BY NORMAL", "********** WRITE TO FILE = "}));

    // An empty position keeps its number.
    list.request.driverList.push_back(nullptr);
    list.request.driverList.push_back(std::make_unique<ITEMINFO>(sampleEntry()));
    EXPECT_EQ(list.WriteDriverList(), 1);
    EXPECT_EQ(test::entryNames(out), "3:VGA,?,VGA");
}

// Each key lands in the section its write names: a new section is built
// key by key until the writes turn to another one, even one whose name has
// the same length, and a key it cannot take (a name with a blank) goes in
// one by one with the rest of its section.
TEST_F(ListFileTest, EachKeyLandsInTheSectionItNames) {
    output::ListFile file(out);
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } writes[] = {{"0", "A", "1"}, {"0", "B", "2"}, {"1", "C", "3"},   {"2", "A", "4"},
                  {"1", "D", "5"}, {"2", "a", "6"}, {"3", "E F", "7"}, {"3", "G", "8"}};
    for (const auto& w : writes) EXPECT_TRUE(file.write(w.section, w.key, w.value)) << w.key;
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(test::readFile(out),
              "[0]\r\nA=1\r\nB=2\r\n[1]\r\nC=3\r\nD=5\r\n[2]\r\nA=6\r\n[3]\r\nE F=7\r\nG=8\r\n");
}

TEST_F(ListFileTest, NothingToWriteLeavesTheFileAlone) {
    test::writeFile(out, "keep me");
    EXPECT_EQ(list.WriteDriverList(), 0);  // no driver held
    list.request.outputPath.clear();
    const ITEMINFO entry = sampleEntry();
    EXPECT_EQ(list.WriteSection(kWriteSystemForm, nullptr, nullptr), 0);
    EXPECT_EQ(list.WriteSection(kWriteEntryForm, nullptr, &entry), 0);
    EXPECT_EQ(list.WriteCount(), 0);
    EXPECT_EQ(list.ReadSystemInfo(), 1);
    list.request.driverList.push_back(std::make_unique<ITEMINFO>(entry));
    EXPECT_EQ(list.WriteDriverList(), 0);
    EXPECT_EQ(test::readFile(out), "keep me");
}

}  // namespace
}  // namespace mfg
