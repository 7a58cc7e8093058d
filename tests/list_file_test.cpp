// The list file's sections written by the list writer itself: the SYSTEM
// settings, the two entry forms, and what becomes of a list file that is
// already there or cannot be written.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "items/iteminfo.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "output/list_file.h"
#include "output/systeminfo.h"
#include "profile/profile_text.h"
#include "support/list_examples.h"
#include "support/list_run.h"
#include "text/codepage.h"

namespace mfg::test {
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

// A value is cut at its first line break, then read up to its first NUL,
// and loses its leading blanks, whether its key starts a new section or goes
// over the line of an old list.
TEST_F(ListFileTest, ValuesCutAtLineBreaksAndNuls) {
    using namespace std::literals;
    const std::string_view values[][2] = {
        {"9\r\nX=1"sv, "8\nY=2"sv}, {"a\0b\r"sv, "c\0\n"sv}, {" \tv"sv, "  w "sv}};
    const std::string keys[] = {"A", "B", "C"};
    for (int run = 0; run < 2; ++run) {
        output::ListFile file(out);
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(file.write("0", keys[i], values[i][run]));
        ASSERT_TRUE(file.commit());
    }
    EXPECT_EQ(test::readFile(out), "[0]\r\nA=8\r\nB=c\r\nC=w \r\n");
}

// A run on a machine that already has a list writes over it.  Whatever the
// old list's shape, the file is the one the run's writes, made one by one
// over the old list, leave (applyWrite, which the profile tests hold to the
// platform's own writer).
TEST_F(ListFileTest, ListWrittenOverAnOldOneGivesTheBytesOfKeyByKeyWrites) {
    std::string process = "[PRELOAD]\r\nLOG_FILE=$TESTDIR\\install.log\r\n";
    for (int i = 0; i < 10; ++i) {
        const std::string n = std::to_string(i);
        // Every third entry has no NAME: its package name is written over it.
        process += "[DRV" + n + "]\r\nGROUP=PRELOAD\r\n" +
                   (i % 3 ? "NAME=Driver " + n + "\r\n" : "") + "ID=" + n + "\r\nPACKETNAME=P" + n +
                   "\r\nTYPE=DISPLAY\r\n";
    }
    list.startUp.workDir = list.startUp.procDir = dir.path();
    list.startUp.procFile = dir / "MfgProc.ini";
    test::writeFile(list.startUp.procFile, process);
    const auto run = [&](std::vector<output::ListWrite>* journal) {
        output::ListFile::recordWritesForTesting(journal);
        list.CreateIniFile(0, nullptr, out);
        output::ListFile::recordWritesForTesting(nullptr);
    };
    run(nullptr);
    const std::string fresh = test::readFile(out);
    Lines sections;  // SYSTEM, then "0" to "9"
    for (std::size_t at = 0, next; at < fresh.size(); at = next) {
        next = fresh.find("\r\n[", at);
        next = next == std::string::npos ? fresh.size() : next + 2;
        sections.push_back(fresh.substr(at, next - at));
    }
    ASSERT_EQ(sections.size(), 11u);
    // Each section's lines as `edit` leaves them.
    const auto edited = [&](const std::function<std::string(const std::string&)>& edit) {
        std::string text;
        for (const std::string& section : sections) text += edit(section);
        return text;
    };
    std::string tenTimes = fresh;
    for (int i = 10; i < 100; ++i)
        tenTimes += "[" + std::to_string(i) + "]" + sections[1 + i % 10].substr(3);
    std::string reversed;
    for (auto it = sections.rbegin(); it != sections.rend(); ++it) reversed += *it;
    const struct {
        const char* shape;
        std::string old;
    } shapes[] = {
        {"the same list", fresh},
        {"a tenth of it", sections[0] + sections[1]},
        {"ten times it, sections beyond the new COUNT", tenTimes},
        {"its sections in another order", reversed},
        {"keys and lines this run does not write", edited([](const std::string& s) {
             const std::size_t body = s.find("\r\n") + 2;
             return s.substr(0, body) + "INSTALLED=1\r\n" + s.substr(body) +
                    "; checked\r\nRESULT=0\r\n\r\n";
         })},
        {"keys spelled, spaced and ordered otherwise, some missing",
         edited([](const std::string& s) {
             std::string t = s;
             for (const char* key : {"NAME=", "ID="}) {
                 const std::size_t at = t.find(std::string("\n") + key);
                 if (at != std::string::npos) t.replace(at + 1, std::strlen(key), " name = ");
             }
             const std::size_t type = t.find("\nTYPE=");
             if (type != std::string::npos) t.erase(type + 1, t.find('\n', type + 1) - type);
             return t;
         })},
    };
    for (const auto& shape : shapes) {
        test::writeFile(out, shape.old);
        std::vector<output::ListWrite> journal;
        run(&journal);
        std::string replayed = shape.old;
        for (const output::ListWrite& w : journal)
            replayed =
                profile::applyWrite(replayed, w.section, w.key, w.value, text::CodePage::active());
        EXPECT_EQ(test::readFile(out), replayed) << shape.shape;
    }
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
}  // namespace mfg::test
