// Install entries: how one process-file section is read into a record, and
// the filters that decide which sections are read at all.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "items/filters.h"
#include "items/hardware_id.h"
#include "items/iteminfo.h"
#include "items/keys.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "reader/parse_ini_file.h"
#include "support/list_run.h"

namespace mfg::test {
namespace {

using Lines = std::vector<std::string>;

class EntryTest : public ::testing::Test {
protected:
    EntryTest() : list(MFG_LIST_DRIVER, "", 0) {
        list.startUp.workDir = "C:\\WORK\\";
        list.startUp.procDir = "C:\\PROC\\";
        list.startUp.groupName = "PRELOAD";
    }
    ~EntryTest() override { CParseIniFile::ReleaseInstance(); }

    // Runs `use` on the only section of a process file made of `body`.
    void onSection(const std::string& body, const std::function<void(CParseIniFile&)>& use) {
        test::writeFile(dir / "PROC.INI", body);
        CParseIniFile* reader = CParseIniFile::GetInstance();
        ASSERT_EQ(reader->OpenFile(dir / "PROC.INI"), 1);
        ASSERT_EQ(reader->FirstSection(), 1);
        use(*reader);
        reader->CloseFile();
    }
    ITEMINFO read(const std::string& body) {
        ITEMINFO item{};
        onSection(body,
                  [&](CParseIniFile& section) { EXPECT_EQ(list.ReadItem(&item, section), 1); });
        return item;
    }

    test::ScratchFolder dir{"entry"};
    CMfgList list;
};

// The fields the cases below tell apart, in one line.
std::string summary(const ITEMINFO& e) {
    return std::string("NAME=") + e.name + " EXE=" + e.exePath + "|" + e.exePathVista32 + "|" +
           e.exePathVista64 + " PACKET=" + e.packetName + " LOG=" + e.logFile +
           " ID=" + std::to_string(e.id);
}

TEST_F(EntryTest, SectionsBecomeRecords) {
    const struct {
        int cdRom;
        const char* body;
        const char* expected;
    } cases[] = {
        {0, "[A]\r\n", "NAME= EXE=|| PACKET= LOG= ID=0"},
        // A factory process file names one executable for every variant.
        {0, "[A]\r\nEXEPATH=a\r\nEXEPATHVISTA32=b\r\nEXEPATHVISTA64=c",
         "NAME= EXE=a|a|a PACKET= LOG= ID=0"},
        {1, "[A]\r\nEXEPATH=a\r\nEXEPATHVISTA32=b\r\nEXEPATHVISTA64=c",
         "NAME= EXE=a|b|c PACKET= LOG= ID=0"},
        {1, "[A]\r\nEXEPATH=a", "NAME= EXE=a|| PACKET= LOG= ID=0"},
        {0, "[A]\r\nPACKETNAME=  Setup.EXE  ", "NAME=Setup.EXE EXE=|| PACKET=Setup.EXE LOG= ID=0"},
        {0, "[A]\r\nNAME=$SECTORNAME of %$packetname%\r\nPACKETNAME=P",
         "NAME=A of P EXE=|| PACKET=P LOG= ID=0"},
        {0, "[A]\r\nEXEPATH=$TESTDIR\\$PACKETNAME\\setup.exe\r\nPACKETNAME=VGA",
         "NAME=VGA EXE=C:\\WORK\\VGA\\setup.exe|C:\\WORK\\VGA\\setup.exe|C:\\WORK\\VGA\\setup.exe "
         "PACKET=VGA LOG= ID=0"},
        // The log file comes from the command line only when the entry has none.
        {0, "[A]\r\nCOMMANDLINE=-s -f2c:\\logs\\audio.log",
         "NAME= EXE=|| PACKET= LOG=C:\\LOGS\\AUDIO.LOG ID=0"},
        {0, "[A]\r\nCOMMANDLINE=-f2 c:\\a.log -q -F2x",
         "NAME= EXE=|| PACKET= LOG= C:\\A.LOG -Q -F2X ID=0"},
        {0, "[A]\r\nCOMMANDLINE=-F2c:\\b.log\r\nLOGFILE=$TESTDIR\\own.log",
         "NAME= EXE=|| PACKET= LOG=C:\\WORK\\own.log ID=0"},
        {0, "[A]\r\nCOMMANDLINE=-F2c:\\b.log\r\nLOGFILE=%%",
         "NAME= EXE=|| PACKET= LOG=C:\\B.LOG ID=0"},
        {0, "[A]\r\nCOMMANDLINE=-F3c:\\b.log", "NAME= EXE=|| PACKET= LOG= ID=0"},
        {0, "[A]\r\nID=12abc", "NAME= EXE=|| PACKET= LOG= ID=12"},
        {0, "[A]\r\nID=abc", "NAME= EXE=|| PACKET= LOG= ID=0"},
        {0, "[A]\r\nID=99999999999", "NAME= EXE=|| PACKET= LOG= ID=2147483647"},
    };
    for (const auto& c : cases) {
        list.startUp.cdRom = c.cdRom;
        EXPECT_EQ(summary(read(c.body)), c.expected) << c.body;
    }
}

TEST_F(EntryTest, EveryFieldOfAFullSection) {
    const ITEMINFO e = read(
        "[ AUDIO01 ]\r\nGROUP=preload\r\nHARDID=1A2B3C4D\r\nDESCRIPTION=In $SECTORNAME\r\n"
        "TYPE=Sound\r\nTIMEOUT=600\r\nREBOOT_COUNT=1\r\nFIRST_TIMEOUT=-1\r\n"
        "FIRST_REBOOT_COUNT=2\r\nRESULTVALUE=3010\r\nVERSION=5.10\r\nSELECTPATH=$TESTDIR\r\n"
        "PACKETPATH=C:\\ELSEWHERE\\\r\nPACKETNAME=AUDIO\r\n");
    EXPECT_STREQ(e.sectionName, " AUDIO01 ");  // as the header spells it
    EXPECT_EQ(list.request.sectionName, "AUDIO01");
    EXPECT_EQ(list.request.packetName, "AUDIO");
    EXPECT_STREQ(e.group, "preload");
    EXPECT_STREQ(e.hardId, "1A2B3C4D");
    EXPECT_STREQ(e.description, "In AUDIO01");
    EXPECT_STREQ(e.type, "Sound");
    EXPECT_STREQ(e.version, "5.10");
    EXPECT_STREQ(e.selectPath, "$TESTDIR");  // never expanded
    EXPECT_STREQ(e.packetPath, "C:\\WORK\\");
    EXPECT_EQ((std::vector<int>{e.timeout, e.rebootCount, e.firstTimeout, e.firstRebootCount,
                                e.resultValue}),
              (std::vector<int>{600, 1, -1, 2, 3010}));
    EXPECT_EQ(list.ReadItem(nullptr, *CParseIniFile::GetInstance()), 0);
    EXPECT_EQ(list.request.sectionName, "AUDIO01");
}

TEST_F(EntryTest, TooLongValuesAreCutToTheirFieldAndTraced) {
    test::TraceCapture trace;
    list.startUp.workDir = "C:\\" + std::string(150, 'W') + "\\";
    const std::string longGroup(250, 'g');
    const std::string longName(210, 'n');
    const ITEMINFO e = read("[" + longName + "]\r\nGROUP=" + longGroup +
                            "\r\nNAME=$TESTDIR$TESTDIR\r\nLOGFILE=$TESTDIR$TESTDIR\r\n");
    EXPECT_EQ(std::string(e.group), std::string(199, 'g'));
    EXPECT_EQ(std::string(e.sectionName), std::string(199, 'n'));
    EXPECT_EQ(std::string(e.name), (list.startUp.workDir + list.startUp.workDir).substr(0, 199));
    EXPECT_EQ(std::string(e.logFile), (list.startUp.workDir + list.startUp.workDir).substr(0, 259));
    const std::string where = " : SECTION = " + longName + " ,KEY = ";
    Lines cuts;
    for (const std::string& line : trace.lines())
        if (line.find("TOO LONG") != std::string::npos) cuts.push_back(line);
    EXPECT_EQ(cuts, (Lines{
                        "<READ SECTOR>: VALUE TOO LONG ,CUT TO 199" + where + "(SECTION NAME)",
                        "<READ SECTOR>: VALUE TOO LONG ,CUT TO 199" + where + "GROUP",
                        "<READ SECTOR>: VALUE TOO LONG ,CUT TO 199" + where + "NAME",
                        "<READ SECTOR>: VALUE TOO LONG ,CUT TO 259" + where + "LOGFILE",
                    }));
}

TEST_F(EntryTest, ACutNeverSplitsADoubleByteCharacter) {
    test::ScopedEnv codePage("MFGLIST_CODEPAGE", "932");
    if (platform::activeCodePage() != 932)
        GTEST_SKIP() << "this machine's code page is not set by the environment";
    // 198 single bytes, then a character whose second byte would be byte 200.
    const ITEMINFO e = read("[A]\r\nVERSION=" + std::string(198, 'v') + "\x82\xA0z\r\n");
    EXPECT_EQ(std::string(e.version), std::string(198, 'v'));
}

// ---- filters ---------------------------------------------------------------

TEST_F(EntryTest, TypeFilterByListKind) {
    const struct {
        int kind;
        const char* type;
        int expected;
    } cases[] = {
        {MFG_LIST_DRIVER, "TYPE=Software", 0},
        {MFG_LIST_DRIVER, "", 1},
        {MFG_LIST_DRIVER, "TYPE=SOUND", 1},
        {MFG_LIST_SOFTWARE, "", 0},
        {MFG_LIST_SOFTWARE, "TYPE=software", 1},
        {MFG_LIST_SOFTWARE, "TYPE=SYSPATCH", 0},
        {2, "TYPE=SOFTWARE", 1},
        {-1, "", 1},
    };
    for (const auto& c : cases) {
        list.startUp.listKind = c.kind;
        onSection(std::string("[S]\r\n") + c.type, [&](CParseIniFile& section) {
            EXPECT_EQ(list.IsTypeMatch(section), c.expected) << c.kind << " " << c.type;
        });
    }
}

TEST_F(EntryTest, GroupFilter) {
    const struct {
        const char* groupName;
        const char* group;
        int expected;
    } cases[] = {
        {"PRELOAD", "GROUP=preload", 1},
        {"PRELOAD", "GROUP= PreLoad ", 1},
        {"PRELOAD", "", 0},
        {"PRELOAD", "GROUP=", 0},
        {"PRELOAD", "GROUP=PRELOAD2", 0},
        {"", "GROUP=PRELOAD", 0},
        {"MY GROUP", "GROUP=my group", 1},
    };
    for (const auto& c : cases) {
        list.startUp.groupName = c.groupName;
        onSection(std::string("[S]\r\n") + c.group, [&](CParseIniFile& section) {
            EXPECT_EQ(list.IsGroupMatch(section), c.expected) << c.groupName << " " << c.group;
        });
    }
}

TEST_F(EntryTest, IdFilterWithItsTraces) {
    const struct {
        int kind;
        const char* keys;
        std::vector<const char*> ids;
        int expected;
        const char* myId;   // traced as read; null: nothing traced
        const char* match;  // the upper-cased pair of a match
    } cases[] = {
        {MFG_LIST_DRIVER, "TYPE= SysPatch ", {}, 1, nullptr, nullptr},
        {MFG_LIST_DRIVER, "HARDID=", {"X"}, 0, "", nullptr},
        {MFG_LIST_DRIVER,
         "HARDID=Pci\\Ven_1",
         {"A", "PCI\\VEN_1", "pci\\ven_1"},
         1,
         "Pci\\Ven_1",
         "PCI\\VEN_1 , MYID = PCI\\VEN_1"},
        // An 8-character hardware ID names a family of devices.
        {MFG_LIST_DRIVER,
         "HARDID=ABCD1234",
         {"abcd1234&EXTRA"},
         1,
         "ABCD1234",
         "ABCD1234 , MYID = ABCD1234&EXTRA"},
        {MFG_LIST_DRIVER,
         "HARDID=ABCD1234",
         {"ABCD1234 "},
         1,
         "ABCD1234",
         "ABCD1234 , MYID = ABCD1234 "},
        {MFG_LIST_DRIVER, "HARDID=ABCD12345", {"ABCD123456"}, 0, "ABCD12345", nullptr},
        {MFG_LIST_DRIVER, "HARDID=ABCD123", {"ABCD1234"}, 0, "ABCD123", nullptr},
        {MFG_LIST_DRIVER, "HARDID=ABCD1234", {"ABCD123"}, 0, "ABCD1234", nullptr},
        {MFG_LIST_DRIVER, "HARDID=H", {}, 0, "H", nullptr},
        {MFG_LIST_SOFTWARE, "PACKETNAME=ABCD1234", {"ABCD1234XYZ"}, 0, "ABCD1234", nullptr},
        {MFG_LIST_SOFTWARE,
         "PACKETNAME=Office\r\nTYPE=SYSPATCH",
         {"office"},
         1,
         "Office",
         "OFFICE , MYID = OFFICE"},
        {MFG_LIST_SOFTWARE, "", {"X"}, 0, "", nullptr},
        {2, "HARDID=X\r\nPACKETNAME=X\r\nTYPE=SYSPATCH", {"X"}, 0, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        Lines traced;
        if (c.myId) {
            traced.push_back(std::string(c.kind == MFG_LIST_DRIVER
                                             ? ">>>>>> DRVINFO_LIST ,HARDID = "
                                             : ">>>>>> SOFTINFO_LIST ,PACKETNAME = ") +
                             c.myId + " ");
            if (*c.myId) traced.push_back(std::string("====== MYID = ") + c.myId + " ");
        }
        if (c.match)
            traced.push_back(std::string(" OK :::::::::::: CHECK INFO = ") + c.match + " ");
        list.startUp.listKind = c.kind;
        onSection(std::string("[S]\r\n") + c.keys, [&](CParseIniFile& section) {
            test::TraceCapture trace;
            EXPECT_EQ(list.IsIdMatch(section, static_cast<int>(c.ids.size()), c.ids.data()),
                      c.expected)
                << c.keys;
            EXPECT_EQ(trace.lines(), traced) << c.keys;
        });
    }
}

// The ID filter on plain values: a null ID in the host's array is an empty
// one and hides none after it; a family ID ends where a character ends.
TEST(IdFilter, NullIdsAndDoubleByteFamilies) {
    const text::CodePage western(1252), japanese(932);
    const auto section = [](std::string hardId) {
        return [hardId](items::Key key) -> std::string_view {
            return key == items::Key::hardId ? std::string_view(hardId) : std::string_view();
        };
    };
    const char* const ids[] = {nullptr, "pci\\ven_1", nullptr};
    EXPECT_TRUE(items::idMatches(MFG_LIST_DRIVER, section("PCI\\VEN_1"), 3, ids, western));
    EXPECT_FALSE(items::idMatches(MFG_LIST_DRIVER, section("PCI\\VEN_2"), 3, ids, western));

    // 0x82 is a lead byte in 932: there the family's last byte is half of
    // the device ID's character, in 1252 it is a character of its own.
    const char* const device[] = {"ABCDEFG\x82\xA0XYZ"};
    EXPECT_TRUE(items::idMatches(MFG_LIST_DRIVER, section("ABCDEFG\x82"), 1, device, western));
    EXPECT_FALSE(items::idMatches(MFG_LIST_DRIVER, section("ABCDEFG\x82"), 1, device, japanese));
    EXPECT_TRUE(items::familyIdMatches("ABCDEFGH", "ABCDEFGH\x82\xA0", japanese));
    EXPECT_FALSE(items::familyIdMatches("ABCDEFG", "ABCDEFGH", western));
}

// The looked-up host IDs answer as a walk over them in the host's order
// does: the first one equal to the section's ID or, for hardware IDs, a
// device of its family, whichever comes first.
TEST(IdFilter, HostIdsFindTheFirstAsAWalkDoes) {
    const char* const ids[] = {
        "pci\\ven_2",  "ABCD1234efgh", "abcd1234", nullptr, "ABCDEFG\x82\xA0X",
        "ABCDEFG\x82", "abcd1234",     "XYZ",      ""};
    const int count = static_cast<int>(std::size(ids));
    for (unsigned codePage : {1252u, 932u}) {
        const text::CodePage cp(codePage);
        const items::HostIds hostIds(count, ids, cp);
        for (const char* mine :
             {"PCI\\VEN_2", "ABCD1234", "ABCD1234EFGH", "ABCDEFG\x82", "XYZ", "ABCD123", "NONE"}) {
            for (bool hardwareIds : {true, false}) {
                int walked = -1;
                for (int i = 0; i < count && walked < 0; ++i) {
                    const std::string theirs = text::toUpperAscii(ids[i] ? ids[i] : "", cp);
                    if (mine == theirs || (hardwareIds && items::familyIdMatches(mine, theirs, cp)))
                        walked = i;
                }
                EXPECT_EQ(hostIds.firstMatch(mine, hardwareIds), walked)
                    << codePage << ' ' << mine << ' ' << hardwareIds;
            }
        }
    }
}

// The names that look alike keep their places.
TEST(KeyNames, LookAlikeNamesInTheirPlaces) {
    const struct {
        items::Key key;
        const char* name;
    } anchors[] = {
        {items::Key::logFile, "LOG_FILE"},      {items::Key::entryLogFile, "LOGFILE"},
        {items::Key::packetName, "PACKETNAME"}, {items::Key::packetNameMacro, "$PACKETNAME"},
        {items::Key::selectPath, "SELECTPATH"}, {items::Key::windirMacro, "WINDIR"}};
    for (const auto& a : anchors) EXPECT_STREQ(items::keyName(a.key), a.name);
}

}  // namespace
}  // namespace mfg::test
