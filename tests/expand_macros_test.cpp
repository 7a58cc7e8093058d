// Path macros in a single-byte and a double-byte code page.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "items/fixed_field.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "platform/platform.h"
#include "support/machine.h"

namespace mfg::test {
namespace {

constexpr text::CodePage kWestern(1252), kJapanese(932);

// "<W>" in an expected text stands for this machine's Windows directory (the
// POSIX machine's default, or what Wine reports).
std::string withWindowsDir(std::string expected) {
    std::string systemDir;
    const std::string windowsDir = platform::systemDirectory(systemDir)
                                       ? systemDir.substr(0, systemDir.rfind('\\'))
                                       : std::string();
    for (std::size_t at; (at = expected.find("<W>")) != std::string::npos;)
        expected.replace(at, 3, windowsDir);
    return expected;
}

struct Row {
    const char* text;
    const char* in1252;
    const char* in932;  // null: as in 1252
};

class ExpandMacros : public ::testing::Test {
protected:
    ExpandMacros() : list(MFG_LIST_DRIVER, "", 0) {}
    void expect(const Row& row) const {
        EXPECT_EQ(list.ExpandMacros(row.text, kWestern), withWindowsDir(row.in1252)) << row.text;
        EXPECT_EQ(list.ExpandMacros(row.text, kJapanese),
                  withWindowsDir(row.in932 ? row.in932 : row.in1252))
            << row.text;
    }
    void values(const char* work, const char* packet) {
        list.startUp.workDir = work;
        list.startUp.procDir = "C:\\PROC\\";
        list.request.sectionName = "AUDIO01";
        list.request.packetName = packet;
    }
    CMfgList list;
};

TEST_F(ExpandMacros, WorkedExamplesAndDoubleByteCharacters) {
    values("C:\\WORK\\", "AUDIOSETUP");
    const Row rows[] = {
        {"$TESTDIR\\AUDIO\\SETUP.EXE", "C:\\WORK\\AUDIO\\SETUP.EXE", nullptr},
        {"$MFGPROCPATH$SECTORNAME\\setup.exe", "C:\\PROC\\AUDIO01\\setup.exe", nullptr},
        {"%windir%\\system32\\drivers", "<W>\\system32\\drivers", nullptr},
        {"WINDIR\\INF", "<W>\\INF", nullptr},
        {"%$testdir%$PACKETNAME.log", "C:\\WORK\\AUDIOSETUP.log", nullptr},
        {"$testdir\\setup.exe", "$testdir\\setup.exe", nullptr},
        {"%ProgramFiles%\\Tool\\run.exe", "PROGRAMFILES\\Tool\\run.exe", nullptr},
        {"Sound 100% done", "Sound 100 DONE", nullptr},
        // A network path keeps the pair of backslashes that makes it one.
        {"\\\\SERVER\\SHARE\\\\SETUP.EXE", "\\\\SERVER\\SHARE\\SETUP.EXE", nullptr},
        {"C:\\A\\\\\\B", "C:\\A\\\\B", nullptr},
        {"C:\\A\\\\\\\\B", "C:\\A\\\\B", nullptr},
        {"", "", nullptr},
        // In 932, 0x95 0x5C, 0x82 0x61 and 0x82 0x57 are single characters
        // whose trail bytes are a backslash, an a and a W in 1252.
        {"C:\\\x95\x5C\\FILE", "C:\\\x95\\FILE", "C:\\\x95\x5C\\FILE"},
        {"%\x82\x61x%", "\x82\x41X", "\x82\x61X"},
        {"\x82WINDIR", "\x82<W>", "\x82WINDIR"},
    };
    for (const Row& row : rows) expect(row);
}

TEST_F(ExpandMacros, LaterStepsSeeWhatEarlierOnesInserted) {
    const struct {
        const char* workDir;
        const char* packetName;
        Row row;
    } cases[] = {
        {"C:\\WORK\\", "WINDIR\\TOOLS", {"$PACKETNAME\\A.EXE", "<W>\\TOOLS\\A.EXE", nullptr}},
        {"C:\\100%\\", "P", {"$TESTDIR$PACKETNAME", "C:\\100\\P", nullptr}},
        {"\\\\SRV\\SHARE\\", "P", {"$TESTDIR\\$PACKETNAME", "\\\\SRV\\SHARE\\P", nullptr}},
        {"", "", {"$TESTDIR$PACKETNAME\\A", "\\A", nullptr}},
        {"$TESTDIR\\", "", {"$TESTDIR", "$TESTDIR\\", nullptr}},  // never rescanned
        // A later macro made across an inserted value's edge, or over an empty one.
        {"PROCPATH", "P", {"$MFG$TESTDIR\\A", "C:\\PROC\\A", nullptr}},
        {"DIR", "P", {"WIN$TESTDIR\\A", "<W>\\A", nullptr}},
        {"", "P", {"$MFG$TESTDIRPROCPATH", "C:\\PROC\\", nullptr}},
        {"C:\\T\\$SECTORNAME\\", "P", {"$TESTDIR$FOO", "C:\\T\\AUDIO01\\$FOO", nullptr}},
        // A step never looks again at what it inserted itself.
        {"C:\\T\\", "NAME", {"$PACKET$PACKETNAME $PACKETNAME", "$PACKETNAME NAME", nullptr}},
    };
    for (const auto& c : cases) {
        values(c.workDir, c.packetName);
        expect(c.row);
    }
}

// A record's field is expanded as its text is, whether it names a macro or
// only holds a doubled backslash, and left alone (the same bytes) otherwise.
TEST_F(ExpandMacros, AFieldGetsWhatItsTextExpandsTo) {
    values("C:\\WORK\\", "P");
    const items::FieldOrigin origin{"", "AUDIO01", kWestern};
    for (const char* text : {"setup.exe -s", "A\\\\B", "\\\\SRV\\A\\\\B", "WINDIR\\X", "100%",
                             "$TESTDIR", "windir\\$", "W\\", ""}) {
        char field[64] = {};
        std::snprintf(field, sizeof field, "%s", text);
        list.expandField(field, items::Key::exePath, origin);
        EXPECT_EQ(std::string(field), list.ExpandMacros(text, kWestern)) << text;
    }
}

// The POSIX machine's system directory and code page come from the
// environment; on Windows these cases are skipped.
TEST_F(ExpandMacros, UsesTheMachinesCodePageAndSystemDirectory) {
    test::ScopedEnv codePage("MFGLIST_CODEPAGE", "932");
    test::ScopedEnv systemDir("MFGLIST_SYSTEM_DIR", "D:\\WINNT\\SYSTEM32");
    std::string answer;
    if (platform::activeCodePage() != 932 || !platform::systemDirectory(answer) ||
        answer != "D:\\WINNT\\SYSTEM32")
        GTEST_SKIP() << "this machine is not shaped by the environment";
    EXPECT_EQ(list.ExpandMacros("WINDIR\\\x95\x5C\\\\A"), "D:\\WINNT\\\x95\x5C\\A");
    for (const char* dir : {"", "C:"}) {  // the query fails; no backslash
        test::ScopedEnv other("MFGLIST_SYSTEM_DIR", dir);
        EXPECT_EQ(list.ExpandMacros("WINDIR\\INF"), "\\INF") << dir;
    }
}

}  // namespace
}  // namespace mfg::test
