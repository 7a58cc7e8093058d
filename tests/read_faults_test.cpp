// Process files and host input that used to give a wrong list with a trace
// that said nothing: odd headers, byte-order marks, UTF-16 text, long values,
// line breaks in written values, long list names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/list_run.h"
#include "support/profile_calls.h"

namespace mfg::test {
namespace {

constexpr char kDir[] = "C:\\RFAULTS\\";
constexpr char kList[] = "C:\\RFAULTS\\LIST.INI";

std::string entry(const std::string& header, const std::string& exe) {
    return header + "\r\nGROUP=PRELOAD\r\nTYPE=VGA\r\nEXEPATH=" + exe + "\r\n";
}

std::string utf16(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
}

class ReadFaults : public ::testing::Test {
protected:
    void SetUp() override {
        test::endListRun();
        test::removeTree(kDir);
        test::makeFolder(kDir);
    }
    void TearDown() override {
        test::endListRun();
        test::removeTree(kDir);
    }
    // A driver list of the process file in kDir; the trace of the run.
    std::vector<std::string> run(const std::string& procFile, const std::string& line,
                                 const std::string& list = kList) {
        test::writeFile(std::string(kDir) + "MfgProc.ini", procFile);
        test::TraceCapture trace;
        MFG_InitMfgList(MFG_LIST_DRIVER, line.c_str(), 0);
        MFG_CreateIniFile(0, nullptr, list.c_str());
        return trace.lines();
    }
    static std::string listValue(const char* section, const char* key) {
        return test::readProfileString(section, key, "?", 4096, kList);
    }
    static bool has(const std::vector<std::string>& lines, const std::string& text) {
        for (const std::string& l : lines)
            if (l.find(text) != std::string::npos) return true;
        return false;
    }
};

TEST_F(ReadFaults, EveryEncodingAndHeaderGivesItsEntriesAndSettings) {
    const std::string plain = entry("[VGA]]", "A.EXE") + "[PRELOAD]\r\nLOG_FILE=C:\\L.TXT\r\n" +
                              entry("[LAN] ; see [notes]", "B.EXE");
    const struct {
        const char* what;
        std::string file;
    } cases[] = {{"second ] in headers", plain},
                 {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + plain},
                 {"UTF-16 text", utf16(plain)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        run(c.file, std::string("X -P ") + kDir);
        EXPECT_EQ(listValue("SYSTEM", "COUNT"), "2");
        EXPECT_EQ(listValue("SYSTEM", "LOG_FILE"), "C:\\L.TXT");
        EXPECT_EQ(listValue("0", "NAME") + listValue("0", "EXEPATH"), "A.EXE");
        EXPECT_EQ(listValue("1", "EXEPATH"), "B.EXE");
    }
}

// Notepad saves UTF-8 with a byte-order mark right before the first "[":
// the first section, settings or entry, must still be read by every path
// that reads a process file (the walks of both modes, the settings lookup).
TEST_F(ReadFaults, AByteOrderMarkHidesNoFirstSectionInAnyFile) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string dir = kDir;
    const std::string settings = "[PRELOAD]\r\nLOG_FILE=C:\\S.LOG\r\n";
    run(bom + settings + entry("[VGA]", "A.EXE"), "X -P " + dir);
    EXPECT_EQ(listValue("SYSTEM", "LOG_FILE") + listValue("SYSTEM", "COUNT"), "C:\\S.LOG1");

    test::removeFile(dir + "MfgProc.ini");
    test::writeFile(dir + "DrvProc.ini",
                    bom + "[VGA]\r\nHARDID=1A2B0001\r\nTYPE=DISPLAY\r\nEXEPATH=A.EXE\r\n");
    test::writeFile(dir + "DrvCofg.ini", bom + "[CFG]\r\nTYPE=POWER\r\nEXEPATH=C.EXE\r\n");
    test::writeFile(dir + "SoftProc.ini", bom + settings +
                                              "[P]\r\nGROUP=PRELOAD\r\nTYPE=SOFTWARE\r\n"
                                              "EXEPATH=P.EXE\r\n");
    const char* ids[] = {"1A2B0001C0DE0101"};
    MFG_InitMfgList(MFG_LIST_DRIVER, ("X -P " + dir).c_str(), 0);
    MFG_CreateIniFile(1, ids, kList);
    EXPECT_EQ(listValue("0", "EXEPATH") + listValue("1", "EXEPATH"), "A.EXEC.EXE");

    MFG_InitMfgList(MFG_LIST_SOFTWARE, ("X -P " + dir).c_str(), 0);
    MFG_CreateAllSoftIniFile(kList);
    EXPECT_EQ(listValue("SYSTEM", "LOG_FILE") + listValue("0", "EXEPATH"), "C:\\S.LOGP.EXE");
}

TEST_F(ReadFaults, UnrepresentableAndUnsupportedTextIsTraced) {
    std::string text = utf16(entry("[A]", "A.EXE") + "DESCRIPTION=X");
    text += std::string("\x2D\x4E", 2);  // U+4E2D: not in code page 1252
    EXPECT_TRUE(has(run(text, std::string("X -P ") + kDir),
                    "1 CHARACTERS NOT IN THE CODE PAGE, READ AS ? : MFGFILE = "));
    EXPECT_EQ(listValue("0", "DESCRIPTION"), "X?");

    test::writeFile(kList, "[SYSTEM]\r\nCOUNT=9\r\n");
    const auto lines = run("\xFE\xFF" + entry("[A]", "A.EXE"), std::string("X -P ") + kDir);
    EXPECT_TRUE(has(lines, "(UNSUPPORTED ENCODING: UTF-16 BIG-ENDIAN)"));
    EXPECT_EQ(test::readFile(kList), "[SYSTEM]\r\nCOUNT=9\r\n");
}

TEST_F(ReadFaults, EveryCutAndLineBreakIsTraced) {
    const std::string longPath = "C:\\" + std::string(300, 'P');
    const auto lines =
        run(entry("[A]", longPath), std::string("X -P ") + kDir + " -D C:\\W\r\nINJECTED=1");
    EXPECT_TRUE(
        has(lines, "<READ SECTOR>: VALUE TOO LONG ,CUT TO 259 : SECTION = A ,KEY = EXEPATH"));
    EXPECT_TRUE(has(lines, "LINE BREAK IN VALUE ,CUT TO 4 : SECTION = 0 ,KEY = PACKETPATH"));
    EXPECT_EQ(listValue("0", "INJECTED") + listValue("SYSTEM", "INJECTED"), "??");
    EXPECT_EQ(listValue("0", "PACKETPATH"), "C:\\W");
}

TEST_F(ReadFaults, ListNameNearTheLimitIsWritten) {
    const std::string list = std::string(kDir) + std::string(245, 'L') + ".INI";
    run(entry("[A]", "A.EXE"), std::string("X -P ") + kDir, list);
    EXPECT_NE(test::readFile(list).find("EXEPATH=A.EXE"), std::string::npos);
}

}  // namespace
}  // namespace mfg::test
