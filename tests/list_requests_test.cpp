// Install lists end to end, through the exports as the host calls them: the
// list file byte for byte and the trace line for line.  The expected bytes
// are literals, so both builds must produce the very same list files.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "api/current_list.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "platform/platform.h"
#include "support/list_examples.h"
#include "support/list_run.h"
#include "support/profile_calls.h"

namespace mfg::test {
namespace {

using Lines = std::vector<std::string>;

constexpr char kFactory[] = "C:\\FACTORY\\";
constexpr char kCd[] = "C:\\CD\\";
constexpr char kFactoryList[] = "C:\\FACTORY\\LIST.INI";

class ListRequest : public ::testing::Test {
protected:
    void SetUp() override {
        test::endListRun();
        for (const char* dir : {kFactory, kCd}) {
            test::removeTree(dir);
            test::makeFolder(dir);
        }
    }
    void TearDown() override {
        test::endListRun();
        for (const char* dir : {kFactory, kCd}) test::removeTree(dir);
    }

    static CMfgList& init(int kind, const std::string& line) {
        EXPECT_EQ(MFG_InitMfgList(kind, line.c_str(), 0), 1);
        CMfgList* list = currentList();
        if (!list) throw std::runtime_error("no list object held");
        return *list;
    }
    static void create(const std::vector<const char*>& ids, const std::string& out) {
        EXPECT_EQ(MFG_CreateIniFile(static_cast<int>(ids.size()), ids.data(), out.c_str()), 1);
    }
};

// The example list of a driver list written as you go, on MFG_WIN_VISTA32.  The
// POSIX machine is told to report Windows 6.0; a Wine prefix reports its own
// release, so there the variant is set on the held list object between init
// and create, and the OSVERSION line shows what was detected.
TEST_F(ListRequest, ExampleDriverListByteForByte) {
    test::writeFile("C:\\FACTORY\\MfgProc.ini", test::kExampleProcess);
    test::ScopedEnv release("MFGLIST_WINVER", "6.0");
    test::TraceCapture trace;
    CMfgList& list = init(MFG_LIST_DRIVER, "C:\\TOOLS\\SETUP.EXE -D C:\\FACTORY");
    const std::string detected =
        list.startUp.osVariant == MFG_WIN_VISTA32 ? "WIN_VISTA32" : "WIN_XP32";
    list.startUp.osVariant = MFG_WIN_VISTA32;
    create({"PCI\\VEN_1"}, kFactoryList);

    EXPECT_EQ(test::readFile(kFactoryList), test::kExampleList);
    const auto readSector = [](const std::string& name, const std::string& exe,
                               const std::string& packet) {
        return Lines{"<READ SECTOR>: NAME = " + name,
                     "<READ SECTOR>: EXE ONLY BY XP_32 ,SET OTHER IS SAME",
                     "<READ SECTOR>: XP_32 = " + exe,
                     "<READ SECTOR>: VISTA_32 = " + exe,
                     "<READ SECTOR>: VISTA_64 = " + exe,
                     "<READ SECTOR>: PACKETNAME = " + packet};
    };
    Lines expected = {
        "===== COMMAND = C:\\TOOLS\\SETUP.EXE -D C:\\FACTORY",
        "===== WORKDIR = C:\\FACTORY\\",
        "===== GROUPNAME = PRELOAD",
        "===== MFGPATH = C:\\FACTORY\\",
        "OSVERSION = " + detected,
        "======= MYHARDID = PCI\\VEN_1 ",
        "MFGFILE = C:\\FACTORY\\MfgProc.ini",
        "LOG_FILE = C:\\FACTORY\\install.log",
        "LANGUAGEID = ",
        "TEMP FILE = C:\\Temp.ini",
    };
    for (const std::string& line :
         readSector("Audio driver", "$TESTDIR\\AUDIO\\VISTA\\setup.exe", "AUDIO"))
        expected.push_back(line);
    expected.push_back("<READ SECTOR>: NAME = Audio driver");
    expected.push_back("********** WRITE TO FILE = Audio driver");
    for (const std::string& line : readSector("", "$TESTDIR\\VGA\\VISTA\\setup.exe", "VGA"))
        expected.push_back(line);
    expected.push_back("<READ SECTOR>: NAME = VGA");
    expected.push_back("********** WRITE TO FILE = VGA");
    EXPECT_EQ(trace.lines(), expected);
}

TEST_F(ListRequest, WhichEntriesEachRequestWrites) {
    test::writeFile("C:\\FACTORY\\MfgProc.ini", test::kExampleProcess);
    const struct {
        int kind;
        bool allSoftware;
        std::vector<const char*> ids;
        const char* names;
    } cases[] = {
        // A factory driver list takes every driver of the group, IDs or not.
        {MFG_LIST_DRIVER, false, {}, "2:Audio driver,VGA"},
        {MFG_LIST_DRIVER, false, {"NOTHING"}, "2:Audio driver,VGA"},
        {MFG_LIST_SOFTWARE, false, {"office"}, "1:OFFICE"},
        {MFG_LIST_SOFTWARE, false, {"AUDIO"}, "0:"},
        {MFG_LIST_SOFTWARE, false, {}, "0:"},
        {MFG_LIST_SOFTWARE, true, {}, "1:OFFICE"},
        {MFG_LIST_DRIVER, true, {}, "0:"},
        // Another list kind knows no IDs: every section of the group goes.
        {5, false, {"OFFICE"}, "3:Audio driver,OFFICE,VGA"},
    };
    for (const auto& c : cases) {
        test::removeFile(kFactoryList);
        init(c.kind, "C:\\TOOLS\\SETUP.EXE -D C:\\FACTORY");
        if (c.allSoftware)
            EXPECT_EQ(MFG_CreateAllSoftIniFile(kFactoryList), 1);
        else
            create(c.ids, kFactoryList);
        EXPECT_EQ(test::entryNames(kFactoryList), c.names) << c.kind << " " << c.allSoftware;
    }
}

// Without MfgProc.ini the run turns to the CD-ROM files of the process-file
// directory, whose software list names an executable per Windows variant.
TEST_F(ListRequest, CdRomSoftwareList) {
    test::writeFile("C:\\CD\\SoftProc.ini",
                    "[PRELOAD]\r\nLOG_FILE=x.log\r\nHOTKEY=F1\r\n"
                    "[OFFICE]\r\nGROUP=PRELOAD\r\nTYPE=Software\r\nPACKETNAME=Office\r\n"
                    "EXEPATH=xp.exe\r\nEXEPATHVISTA32=v32.exe\r\n"
                    "[TOOLS]\r\nGROUP=PRELOAD\r\nTYPE=Software\r\nPACKETNAME=Tools\r\n");
    test::TraceCapture trace;
    init(MFG_LIST_SOFTWARE, "C:\\SETUP.EXE -D C:\\CD -P C:\\CD -F").startUp.osVariant =
        MFG_WIN_VISTA32;
    trace.clear();
    create({"TOOLS2", "OFFICE"}, "  C:\\CD\\SOFT.INI  ");
    // The media's own SYSTEM settings beyond LOG_FILE are never read (-F
    // does not survive the turn to CD-ROM mode); the Vista executable goes.
    const auto soft = [](const char* section, const char* key) {
        return test::readProfileString(section, key, "?", 260, "C:\\CD\\SOFT.INI");
    };
    EXPECT_EQ(test::entryNames("C:\\CD\\SOFT.INI"), "1:Office");
    EXPECT_EQ(soft("SYSTEM", "LOG_FILE") + "|" + soft("SYSTEM", "HOTKEY") + "|" +
                  soft("0", "EXEPATH") + "|" + soft("0", "PACKETPATH"),
              "x.log||v32.exe|C:\\CD\\");
    EXPECT_EQ(trace.lines(), (Lines{
                                 "======= MYHARDID = TOOLS2 ",
                                 "======= MYHARDID = OFFICE ",
                                 "MFGFILE = C:\\CD\\SoftProc.ini",
                                 "LOG_FILE = x.log",
                                 "LANGUAGEID = ",
                                 "TEMP FILE = C:\\Temp.ini",
                                 ">>>>>> SOFTINFO_LIST ,PACKETNAME = Office ",
                                 "====== MYID = Office ",
                                 " OK :::::::::::: CHECK INFO = OFFICE , MYID = OFFICE ",
                                 "<READ SECTOR>: NAME = ",
                                 "<READ SECTOR>: BY CDROM ,EXE BY OSVERSION ",
                                 "<READ SECTOR>: XP_32 = xp.exe",
                                 "<READ SECTOR>: VISTA_32 = v32.exe",
                                 "<READ SECTOR>: VISTA_64 = ",
                                 "<READ SECTOR>: PACKETNAME = Office",
                                 "<READ SECTOR>: NAME = Office",
                                 "********** WRITE TO FILE = Office",
                                 ">>>>>> SOFTINFO_LIST ,PACKETNAME = Tools ",
                                 "====== MYID = Tools ",
                             }));

    // The complete software list of the media, and a list kind the media
    // has no list for: nothing written, only the IDs traced.
    init(MFG_LIST_SOFTWARE, "C:\\SETUP.EXE -P C:\\CD");
    EXPECT_EQ(MFG_CreateAllSoftIniFile("C:\\CD\\ALL.INI"), 1);
    EXPECT_EQ(test::entryNames("C:\\CD\\ALL.INI"), "2:Office,Tools");
    init(3, "C:\\SETUP.EXE -P C:\\CD");
    trace.clear();
    create({"OFFICE"}, "C:\\CD\\OTHER.INI");
    EXPECT_FALSE(test::fileExists("C:\\CD\\OTHER.INI"));
    EXPECT_EQ(trace.lines(), Lines{"======= MYHARDID = OFFICE "});
}

// A UTF-8 file is decoded once: bytes after its mark that happen to be FF FE
// (no UTF-8 at all) are not taken for a second, UTF-16 mark, so the group's
// settings are read as the walk reads the entries.
TEST_F(ListRequest, SettingsOfAUtf8FileWhoseTextBeginsWithFFFE) {
    test::writeFile("C:\\FACTORY\\MfgProc.ini",
                    "\xEF\xBB\xBF\xFF\xFE\r\n[PRELOAD]\r\nLOG_FILE=x.log\r\nHOTKEY=F1\r\n"
                    "[E]\r\nGROUP=PRELOAD\r\nTYPE=VGA\r\nNAME=Video\r\n");
    init(MFG_LIST_DRIVER, "C:\\SETUP.EXE -P C:\\FACTORY -F");
    create({}, kFactoryList);
    EXPECT_EQ(test::entryNames(kFactoryList), "1:Video");
    EXPECT_EQ(test::readProfileString("SYSTEM", "LOG_FILE", "?", 260, kFactoryList) + "|" +
                  test::readProfileString("SYSTEM", "HOTKEY", "?", 260, kFactoryList),
              "x.log|F1");
}

TEST_F(ListRequest, AnExistingListFileKeepsWhatTheRunDoesNotWrite) {
    test::writeFile("C:\\FACTORY\\MfgProc.ini",
                    "[A]\r\nGROUP=PRELOAD\r\nPACKETNAME=NEW\r\nTYPE=X\r\n");
    test::writeFile(kFactoryList,
                    "; made by hand\r\n[SYSTEM]\r\nCOUNT=3\r\nOPERATOR=ANN\r\n\r\n"
                    "[0]\r\nNAME=OLD\r\nDONE=1\r\n[2]\r\nNAME=OLD2\r\n[NOTES]\r\nA=B");
    init(MFG_LIST_DRIVER, "C:\\TOOLS\\SETUP.EXE -D C:\\FACTORY").startUp.osVariant = MFG_WIN_XP32;
    create({}, kFactoryList);
    EXPECT_EQ(test::readFile(kFactoryList),
              "; made by hand\r\n[SYSTEM]\r\nCOUNT=1\r\nOPERATOR=ANN\r\nINDEX=0\r\n"
              "INSTALLSTATUS=0\r\nLOG_FILE=\r\nHOTKEY=\r\nDEBUG=0\r\nLANGUAGEID=\r\n"
              "RUN_BEGINTEST=\r\nRUN_ENDTEST=\r\n\r\n"
              "[0]\r\nNAME=NEW\r\nDONE=1\r\nGROUP=PRELOAD\r\nID=0\r\nHARDID=\r\nDESCRIPTION=\r\n"
              "SELECTPATH=\r\nEXEPATH=\r\nPACKETPATH=C:\\FACTORY\\\r\nPACKETNAME=NEW\r\nTYPE=X\r\n"
              "TIMEOUT=0\r\nFIRST_TIMEOUT=0\r\nRESULTVALUE=0\r\nVERSION=\r\nCOMMANDLINE=\r\n"
              "LOGFILE=\r\nFIRST_REBOOT_COUNT=0\r\nREBOOT_COUNT=0\r\nREDAYINSTALL=0\r\n"
              "[2]\r\nNAME=OLD2\r\n[NOTES]\r\nA=B");
}

TEST_F(ListRequest, RunsThatCannotReadOrWriteTheirFiles) {
    test::writeFile("C:\\FACTORY\\MfgProc.ini", test::kExampleProcess);
    test::TraceCapture trace;

    // The process file went away after start-up: SYSTEM alone.
    init(MFG_LIST_DRIVER, "C:\\TOOLS\\SETUP.EXE -D C:\\FACTORY");
    test::removeFile("C:\\FACTORY\\MfgProc.ini");
    trace.clear();
    create({}, kFactoryList);
    EXPECT_EQ(test::entryNames(kFactoryList), "0:");
    EXPECT_EQ(trace.lines(),
              (Lines{"MFGFILE = C:\\FACTORY\\MfgProc.ini", "LOG_FILE = ", "LANGUAGEID = ",
                     "********** CANNOT OPEN MFGFILE = C:\\FACTORY\\MfgProc.ini"}));

    // A list file that cannot be replaced, or read, stays as it was.
    test::writeFile("C:\\FACTORY\\MfgProc.ini", test::kExampleProcess);
    const std::string old = test::readFile(kFactoryList);
    test::setReadOnly(kFactoryList, true);
    test::makeFolder("C:\\FACTORY\\DIR.INI");
    trace.clear();
    for (const char* out : {kFactoryList, "C:\\FACTORY\\NEW\\LIST.INI", "C:\\FACTORY\\DIR.INI"}) {
        init(MFG_LIST_DRIVER, "C:\\TOOLS\\SETUP.EXE -D C:\\FACTORY");
        create({}, out);
    }
    test::setReadOnly(kFactoryList, false);
    EXPECT_EQ(test::readFile(kFactoryList), old);
    EXPECT_FALSE(test::fileExists("C:\\FACTORY\\NEW"));
    Lines failures;
    for (const std::string& line : trace.lines())
        if (line.find("LIST FILE") != std::string::npos) failures.push_back(line);
    EXPECT_EQ(
        failures,
        (Lines{"********** CANNOT WRITE LIST FILE = C:\\FACTORY\\LIST.INI (THE FILE IS READ-ONLY)",
               "********** CANNOT WRITE LIST FILE = C:\\FACTORY\\NEW\\LIST.INI "
               "(THE FOLDER DOES NOT EXIST)",
               "********** CANNOT READ LIST FILE = C:\\FACTORY\\DIR.INI "
               "(LEFT AS IT WAS, NOTHING WRITTEN)"}));

    // No output path: the whole walk, and neither a file nor a written
    // section in the trace.
    init(MFG_LIST_DRIVER, "C:\\TOOLS\\SETUP.EXE -D C:\\FACTORY");
    trace.clear();
    create({}, "   ");
    const Lines walked = trace.lines();
    ASSERT_EQ(walked.size(), 16u);
    EXPECT_EQ(Lines(walked.begin(), walked.begin() + 3),
              (Lines{"MFGFILE = C:\\FACTORY\\MfgProc.ini", "TEMP FILE = C:\\Temp.ini",
                     "<READ SECTOR>: NAME = Audio driver"}));
    EXPECT_EQ(walked.back(), "<READ SECTOR>: NAME = VGA");
}

}  // namespace
}  // namespace mfg::test
