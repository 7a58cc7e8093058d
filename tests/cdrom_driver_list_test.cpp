// CD-ROM driver lists end to end through the exports: which drivers of the
// media's two process files reach the list file, in which order, and the
// trace that explains it.
#include <gtest/gtest.h>

#include <cctype>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "api/current_list.h"
#include "listjob/decision_observer.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "output/list_file.h"
#include "reader/parse_ini_file.h"
#include "support/list_run.h"

namespace mfg::test {
namespace {

using test::ScratchFolder;
using test::TraceCapture;
using test::upper;
using Lines = std::vector<std::string>;

// One entry section as the driver list writes it: 18 keys, no DESCRIPTION.
struct Entry {
    std::string name;
    int id;
    std::string hardId;
    std::string type;
    std::string exePath;
    std::string group = "";
    std::string packetName = "";
    int timeout = 0;
    std::string commandLine = "";
    std::string logFile = "";
};

std::string listFile(const std::vector<Entry>& entries, const std::string& packetPath) {
    std::string out = "[SYSTEM]\r\nINDEX=0\r\nCOUNT=" + std::to_string(entries.size()) +
                      "\r\nINSTALLSTATUS=0\r\nLOG_FILE=\r\nHOTKEY=\r\nDEBUG=\r\nLANGUAGEID=\r\n"
                      "RUN_BEGINTEST=\r\nRUN_ENDTEST=\r\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        out += "[" + std::to_string(i) + "]\r\nGROUP=" + e.group + "\r\nNAME=" + e.name +
               "\r\nID=" + std::to_string(e.id) + "\r\nHARDID=" + e.hardId +
               "\r\nSELECTPATH=\r\nEXEPATH=" + e.exePath + "\r\nPACKETPATH=" + packetPath +
               "\r\nPACKETNAME=" + e.packetName + "\r\nTYPE=" + e.type +
               "\r\nTIMEOUT=" + std::to_string(e.timeout) +
               "\r\nFIRST_TIMEOUT=0\r\nRESULTVALUE=0\r\nVERSION=\r\nCOMMANDLINE=" + e.commandLine +
               "\r\nLOGFILE=" + e.logFile +
               "\r\nFIRST_REBOOT_COUNT=0\r\nREBOOT_COUNT=0\r\nREDAYINSTALL=0\r\n";
    }
    return out;
}

// The list run's own decisions: the reader's and the entry reader's lines
// are left out, they are checked where those are made.
Lines decisions(const TraceCapture& trace) {
    Lines out;
    for (const std::string& line : trace.lines()) {
        if (line.rfind("<READ SECTOR>", 0) == 0 || line.rfind("TEMP FILE", 0) == 0) continue;
        out.push_back(line);
    }
    return out;
}

Lines concat(std::initializer_list<Lines> pieces) {
    Lines out;
    for (const Lines& piece : pieces) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

constexpr char kMatchedDrivers[] =
    "[PATCH]\r\nTYPE=SysPatch\r\nNAME=Patch\r\nID=1\r\nEXEPATH=$MFGPROCPATHPATCH\\setup.exe\r\n"
    "[VGA_FAMILY]\r\nTYPE=DISPLAY\r\nNAME=VGA family\r\nID=20\r\nHARDID=VEN_1002\r\n"
    "[SOUND]\r\nGROUP=PRELOAD\r\nTYPE=SOUND\r\nNAME=Audio\r\nID=5\r\n"
    "HARDID=PCI\\VEN_10EC&DEV_0888\r\nPACKETNAME=AUDIO\r\nTIMEOUT=600\r\n"
    "COMMANDLINE=-s -f2c:\\logs\\audio.log\r\n"
    "[OFFICE]\r\nTYPE=SOFTWARE\r\nNAME=Office\r\nHARDID=PCI\\VEN_10EC&DEV_0888\r\n"
    "[LAN]\r\nTYPE=NETCARD\r\nNAME=Lan\r\nHARDID=PCI\\VEN_8086&DEV_FFFF\r\n"
    "[SOUND_AGAIN]\r\nTYPE=SOUND\r\nNAME=Audio again\r\nID=1\r\nHARDID=pci\\ven_10ec&dev_0888\r\n"
    "[VGA_DEVICE]\r\nTYPE=DISPLAY\r\nNAME=VGA device\r\nID=99\r\nHARDID=ven_1002dev_6779\r\n"
    "[VGA_FAMILY_LATE]\r\nTYPE=DISPLAY\r\nNAME=VGA late\r\nID=0\r\nHARDID=VEN_1002\r\n";

constexpr char kConfigDrivers[] =
    "[READER]\r\nTYPE=Modem\r\nNAME=Card reader\r\nID=3\r\nHARDID=USB\\VID_0BDA\r\n"
    "[SOUND_CFG]\r\nTYPE=SOUND\r\nNAME=Audio common\r\nID=7\r\nHARDID=PCI\\VEN_10EC&DEV_0888\r\n"
    "[CFG_TOOL]\r\nTYPE=software\r\nNAME=Tool\r\n"
    "[PATCH_CFG]\r\nTYPE=SYSPATCH\r\nNAME=Common patch\r\nID=0\r\n";

const char* const kHostIds[] = {"VEN_1002DEV_6779", "PCI\\VEN_10EC&DEV_0888"};

// What the matched drivers leave in the trace for the two host IDs.
const Lines kMatchedTrace = {
    ">>>>>> DRVINFO_LIST ,HARDID = VEN_1002 ",
    "====== MYID = VEN_1002 ",
    " OK :::::::::::: CHECK INFO = VEN_1002 , MYID = VEN_1002DEV_6779 ",
    ">>>>>> DRVINFO_LIST ,HARDID = PCI\\VEN_10EC&DEV_0888 ",
    "====== MYID = PCI\\VEN_10EC&DEV_0888 ",
    " OK :::::::::::: CHECK INFO = PCI\\VEN_10EC&DEV_0888 , MYID = PCI\\VEN_10EC&DEV_0888 ",
    ">>>>>> DRVINFO_LIST ,HARDID = PCI\\VEN_8086&DEV_FFFF ",
    "====== MYID = PCI\\VEN_8086&DEV_FFFF ",
    ">>>>>> DRVINFO_LIST ,HARDID = pci\\ven_10ec&dev_0888 ",
    "====== MYID = pci\\ven_10ec&dev_0888 ",
    " OK :::::::::::: CHECK INFO = PCI\\VEN_10EC&DEV_0888 , MYID = PCI\\VEN_10EC&DEV_0888 ",
    "IS EXIST , NOT ADD",
    ">>>>>> DRVINFO_LIST ,HARDID = ven_1002dev_6779 ",
    "====== MYID = ven_1002dev_6779 ",
    " OK :::::::::::: CHECK INFO = VEN_1002DEV_6779 , MYID = VEN_1002DEV_6779 ",
    "IS EXIST , NEW IS 16 ,UPDATE THIS ,OLD = VEN_1002 , NEW = VEN_1002DEV_6779",
    ">>>>>> DRVINFO_LIST ,HARDID = VEN_1002 ",
    "====== MYID = VEN_1002 ",
    " OK :::::::::::: CHECK INFO = VEN_1002 , MYID = VEN_1002DEV_6779 ",
    "IS EXIST , NEW IS 8 ,NOT ADD ",
};

class CdRomDriverList : public ::testing::Test {
protected:
    void SetUp() override { test::endListRun(); }
    void TearDown() override { test::endListRun(); }

    // A run whose missing MfgProc.ini sends it to the CD-ROM files of the
    // scratch folder; the group never counts for a CD-ROM driver list.
    void run(const Lines& ids, const std::string& listPath,
             listjob::DecisionObserver* observer = nullptr) {
        const std::string line =
            "C:\\SETUP.EXE -D " + dir.path() + " -P " + dir.path() + " -T NOSUCHGROUP";
        ASSERT_EQ(MFG_InitMfgList(MFG_LIST_DRIVER, line.c_str(), 0), 1);
        ASSERT_NE(currentList(), nullptr);
        currentList()->decisionObserver = observer;
        trace.clear();
        std::vector<const char*> idTexts;
        for (const std::string& id : ids) idTexts.push_back(id.c_str());
        EXPECT_EQ(
            MFG_CreateIniFile(static_cast<int>(idTexts.size()), idTexts.data(), listPath.c_str()),
            1);
        EXPECT_EQ(currentList(), nullptr);
    }
    Lines hostIds() const { return Lines(std::begin(kHostIds), std::end(kHostIds)); }
    Lines idTrace() const {
        return {"======= MYHARDID = VEN_1002DEV_6779 ",
                "======= MYHARDID = PCI\\VEN_10EC&DEV_0888 "};
    }
    std::string mfgFile(const char* name) const { return "MFGFILE = " + upper(dir.path()) + name; }

    ScratchFolder dir{"cdromdrv"};
    TraceCapture trace;
    const std::string output = dir / "LIST.INI";
};

// The device driver takes its family's place, before the sound driver that
// a plain insert would have put first; the common drivers follow as written.
std::vector<Entry> matchedEntries(const std::string& procDir) {
    return {
        {"Patch", 1, "", "SysPatch", procDir + "PATCH\\setup.exe"},
        {"VGA device", 99, "ven_1002dev_6779", "DISPLAY", ""},
        {"Audio", 5, "PCI\\VEN_10EC&DEV_0888", "SOUND", "", "PRELOAD", "AUDIO", 600,
         "-s -f2c:\\logs\\audio.log", "C:\\LOGS\\AUDIO.LOG"},
    };
}
std::vector<Entry> configEntries() {
    return {
        {"Card reader", 3, "USB\\VID_0BDA", "Modem", ""},
        {"Audio common", 7, "PCI\\VEN_10EC&DEV_0888", "SOUND", ""},
        {"Common patch", 0, "", "SYSPATCH", ""},
    };
}
Lines writeTrace(const std::vector<Entry>& entries) {
    Lines out = {"LOG_FILE = NULL", "LANGUAGEID = BY NORMAL"};
    for (const Entry& e : entries) out.push_back("********** WRITE TO FILE = " + e.name);
    return out;
}
std::vector<Entry> join(std::vector<Entry> a, const std::vector<Entry>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(CdRomDriverList, MatchedDriversInInstallOrderThenCommonOnesAsWritten) {
    test::writeFile(dir / "DrvProc.ini", kMatchedDrivers);
    test::writeFile(dir / "DrvCofg.ini", kConfigDrivers);
    run(hostIds(), output);

    const std::string procDir = upper(dir.path());
    const std::vector<Entry> all = join(matchedEntries(procDir), configEntries());
    EXPECT_EQ(test::readFile(output), listFile(all, procDir));
    EXPECT_EQ(decisions(trace), concat({idTrace(),
                                        {mfgFile("DrvProc.ini")},
                                        kMatchedTrace,
                                        {mfgFile("DrvCofg.ini")},
                                        writeTrace(all)}));
}

// The held entries' decisions as an observer hears them: who refused or
// made way, named by section and header line.
class PlacementLog : public listjob::DecisionObserver {
public:
    void driverPlaced(const listjob::SectionAt& at, items::Placement placement,
                      const listjob::SectionAt* other, int, std::int32_t) override {
        static const char* const kNames[] = {"joined", "replaced", "refused same",
                                             "refused device"};
        std::string line = std::string(at.section) + ":" + std::to_string(at.line) + " " +
                           kNames[static_cast<int>(placement)];
        if (other) line += " " + std::string(other->section) + ":" + std::to_string(other->line);
        placed.push_back(line);
    }
    Lines placed;
};

TEST_F(CdRomDriverList, AnObserverHearsEachPlacementAndChangesNeitherListNorTrace) {
    test::writeFile(dir / "DrvProc.ini", kMatchedDrivers);
    test::writeFile(dir / "DrvCofg.ini", kConfigDrivers);
    run(hostIds(), output);
    const std::string plainList = test::readFile(output);
    const Lines plainTrace = trace.lines();

    PlacementLog log;
    run(hostIds(), output, &log);
    EXPECT_EQ(test::readFile(output), plainList);
    EXPECT_EQ(trace.lines(), plainTrace);
    EXPECT_EQ(log.placed,
              (Lines{"PATCH:1 joined", "VGA_FAMILY:6 joined", "SOUND:11 joined",
                     "SOUND_AGAIN:28 refused same SOUND:11", "VGA_DEVICE:33 replaced VGA_FAMILY:6",
                     "VGA_FAMILY_LATE:38 refused device VGA_DEVICE:33"}));
}

TEST_F(CdRomDriverList, EitherFileMayBeMissing) {
    const std::string procDir = upper(dir.path());
    const std::string cannotOpen = "********** CANNOT OPEN " + mfgFile("");
    const struct {
        const char* what;
        bool matched, config;
        std::vector<Entry> entries;
        Lines matchedTrace, configTrace;
    } cases[] = {
        {"no DrvProc.ini", false, true, configEntries(), {cannotOpen + "DrvProc.ini"}, {}},
        {"no DrvCofg.ini",
         true,
         false,
         matchedEntries(procDir),
         kMatchedTrace,
         {cannotOpen + "DrvCofg.ini"}},
    };
    for (const auto& c : cases) {
        test::removeFile(dir / "DrvProc.ini");
        test::removeFile(dir / "DrvCofg.ini");
        test::removeFile(output);
        if (c.matched) test::writeFile(dir / "DrvProc.ini", kMatchedDrivers);
        if (c.config) test::writeFile(dir / "DrvCofg.ini", kConfigDrivers);
        run(hostIds(), output);
        EXPECT_EQ(test::readFile(output), listFile(c.entries, procDir)) << c.what;
        EXPECT_EQ(decisions(trace), concat({idTrace(),
                                            {mfgFile("DrvProc.ini")},
                                            c.matchedTrace,
                                            {mfgFile("DrvCofg.ini")},
                                            c.configTrace,
                                            writeTrace(c.entries)}))
            << c.what;
    }
}

TEST_F(CdRomDriverList, NothingSelectedLeavesTheListFileAlone) {
    const std::string earlier = "[SYSTEM]\r\nCOUNT=9\r\n[8]\r\nNAME=earlier\r\n";
    const struct {
        const char* what;
        const char* matched;  // null: no such file
        const char* config;
        std::string output;
    } cases[] = {
        {"no files", nullptr, nullptr, output},
        {"nothing matches, only software in common",
         "[LAN]\r\nTYPE=NETCARD\r\nHARDID=PCI\\VEN_8086&DEV_FFFF\r\n"
         "[OFFICE]\r\nTYPE=SOFTWARE\r\nHARDID=VEN_1002DEV_6779\r\n",
         "[TOOL]\r\nTYPE=Software\r\n", output},
        {"empty files", "", "", output},
        {"drivers but no list file path", kMatchedDrivers, kConfigDrivers, ""},
    };
    for (const auto& c : cases) {
        test::removeFile(dir / "DrvProc.ini");
        test::removeFile(dir / "DrvCofg.ini");
        if (c.matched) test::writeFile(dir / "DrvProc.ini", c.matched);
        if (c.config) test::writeFile(dir / "DrvCofg.ini", c.config);
        test::writeFile(output, earlier);
        run(hostIds(), c.output);
        EXPECT_EQ(test::readFile(output), earlier) << c.what;
        const Lines lines = decisions(trace);
        for (const std::string& line : lines)
            EXPECT_EQ(line.find("WRITE TO FILE"), std::string::npos) << c.what;
    }
}

TEST_F(CdRomDriverList, WithoutHostIdsOnlySystemPatchesMatch) {
    test::writeFile(dir / "DrvProc.ini", kMatchedDrivers);
    test::writeFile(dir / "DrvCofg.ini", kConfigDrivers);
    run({}, output);
    const std::string procDir = upper(dir.path());
    const std::vector<Entry> entries = join({matchedEntries(procDir).front()}, configEntries());
    EXPECT_EQ(test::readFile(output), listFile(entries, procDir));
    // Every driver with a hardware ID is looked at and matches no host ID.
    Lines outcomes;
    for (const std::string& line : decisions(trace))
        if (line.rfind(">>>>>>", 0) != 0 && line.rfind("======", 0) != 0) outcomes.push_back(line);
    EXPECT_EQ(outcomes,
              concat({{mfgFile("DrvProc.ini"), mfgFile("DrvCofg.ini")}, writeTrace(entries)}));
}

TEST_F(CdRomDriverList, ProcessFilePathsAreJoinedWithOneBackslash) {
    const struct {
        const char* procDir;
        const char* matched;
        const char* config;
    } rows[] = {
        {"C:\\NOCD\\", "C:\\NOCD\\DrvProc.ini", "C:\\NOCD\\DrvCofg.ini"},
        {"C:\\NOCD", "C:\\NOCD\\DrvProc.ini", "C:\\NOCD\\DrvCofg.ini"},
        {"C:\\A\\\\B\\\\\\", "C:\\A\\B\\\\DrvProc.ini", "C:\\A\\B\\\\DrvCofg.ini"},
        {"  C:\\NOCD\\ ", "C:\\NOCD\\ \\DrvProc.ini", "C:\\NOCD\\ \\DrvCofg.ini"},
        {"", "\\DrvProc.ini", "\\DrvCofg.ini"},
    };
    for (const auto& row : rows) {
        CMfgList list(MFG_LIST_DRIVER, "", 0);
        list.startUp.procDir = row.procDir;
        list.request.outputPath = output;
        trace.clear();
        output::ListFile file(output);
        EXPECT_EQ(list.CreateCdRomDriverList(file, CParseIniFile::GetInstance(), 0, nullptr), 0);
        EXPECT_EQ(list.startUp.procFile, row.config);
        EXPECT_EQ(trace.lines(),
                  (Lines{std::string("MFGFILE = ") + row.matched,
                         std::string("********** CANNOT OPEN MFGFILE = ") + row.matched,
                         std::string("MFGFILE = ") + row.config,
                         std::string("********** CANNOT OPEN MFGFILE = ") + row.config}))
            << row.procDir;
        list.FreeItems();
    }
    EXPECT_FALSE(test::fileExists(output));
}

// The host's own -CDROM switch: the files lie beside the library, which here
// is the test program.
TEST_F(CdRomDriverList, CdRomSwitchReadsTheFilesBesideTheLibrary) {
    const std::string own = test::ownFolder();
    ASSERT_FALSE(own.empty());
    struct Remove {
        std::string path;
        ~Remove() { test::removeFile(path); }
    } matched{own + "DrvProc.ini"}, config{own + "DrvCofg.ini"};
    test::writeFile(matched.path, kMatchedDrivers);
    test::writeFile(config.path, kConfigDrivers);

    ASSERT_EQ(MFG_InitMfgList(MFG_LIST_DRIVER, "C:\\SETUP.EXE -cdrom -P C:\\ELSEWHERE -T X", 0), 1);
    trace.clear();
    EXPECT_EQ(MFG_CreateIniFile(2, kHostIds, output.c_str()), 1);
    const std::vector<Entry> all = join(matchedEntries(own), configEntries());
    EXPECT_EQ(test::readFile(output), listFile(all, own));
    EXPECT_EQ(decisions(trace), concat({idTrace(),
                                        {"MFGFILE = " + own + "DrvProc.ini"},
                                        kMatchedTrace,
                                        {"MFGFILE = " + own + "DrvCofg.ini"},
                                        writeTrace(all)}));
}

}  // namespace
}  // namespace mfg::test
