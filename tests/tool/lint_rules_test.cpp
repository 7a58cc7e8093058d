// The lint rules on the edges a corpus file does not show: where a finding
// is placed in UTF-16 and double-byte text, which severity it takes, what
// its message promises (bytes kept, the number read), and the cases a rule
// must leave alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text_encoding.h"
#include "lint/lint_folder.h"

namespace mfgtool::test {
namespace {

using mfgtool::lint::Finding;
using mfgtool::lint::LintOptions;

std::string utf16(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
}

// "LINE:COLUMN:severity:rule" per finding, in order.
std::vector<std::string> lint(const std::string& file, const std::string& bytes,
                              LintOptions options = {}) {
    const int codePage = static_cast<int>(options.codePage);
    options.isValidCharacter = [codePage](std::string_view c) {
        return mfgtool::decodeCodePage(c, codePage).valid;
    };
    options.utf8Meaning = [codePage](std::string_view text) {
        return mfgtool::utf8InCodePage(text, codePage);
    };
    std::vector<std::string> out;
    for (const Finding& f : mfgtool::lint::lintProcessFile(bytes, file, file, options))
        out.push_back(std::to_string(f.line) + ":" + std::to_string(f.column) + ":" +
                      mfgtool::lint::severityName(f.severity) + ":" + f.rule + " " + f.message);
    return out;
}

const std::string kSettings = "[PRELOAD]\r\nLOG_FILE=X.LOG\r\n";
const std::string kEntry = "[E]\r\nGROUP=PRELOAD\r\nTYPE=SOUND\r\nEXEPATH=E.EXE\r\n";
std::string drv(const std::string& name, const std::string& hardId, const std::string& type) {
    return "[" + name + "]\r\nHARDID=" + hardId + "\r\nTYPE=" + type +
           "\r\nEXEPATH=A.EXE\r\nEXEPATHVISTA32=A.EXE\r\n";
}

TEST(LintRules, FindingsArePlacedAndWordedAsTheLibraryReadsTheFile) {
    LintOptions dbcs;
    dbcs.codePage = 932;
    const struct {
        const char* what;
        const char* file;
        std::string bytes;
        LintOptions options;
        std::vector<std::string> expected;
    } cases[] = {
        {"UTF-16: lines as shown, converted text checked",
         "MfgProc.ini",
         utf16(kSettings + "\r\n" + kEntry + "TIMEOUT=x\r\n"),
         {},
         {"1:1:note:byte-order-mark UTF-16 file: read converted to code page 1252",
          "8:9:error:bad-number TIMEOUT=x is not a number: the list gets 0"}},
        {"UTF-16 big-endian: nothing else is said",
         "MfgProc.ini",
         "\xFE\xFF\0[\0A",
         {},
         {"1:1:error:byte-order-mark UTF-16 big-endian file: the library cannot read it, "
          "and lists nothing from it"}},
        {"numbers as the entry reader takes them",
         "MfgProc.ini",
         kSettings + kEntry + "ID= -5\r\nTIMEOUT=12abc\r\nREBOOT_COUNT=-2147483649\r\n",
         {},
         {"8:9:error:bad-number TIMEOUT=12abc is not a whole number: the list gets 12",
          "9:14:warning:bad-number REBOOT_COUNT=-2147483649 does not fit 32 bits: the list "
          "gets -2147483648"}},
        {"a value as long as its field loses its last byte; one byte shorter fits",
         "MfgProc.ini",
         kSettings + kEntry + "NAME=" + std::string(200, 'N') +
             "\r\nVERSION=" + std::string(199, 'V') + "\r\n",
         {},
         {"7:6:warning:value-too-long NAME is 200 bytes long: the list keeps its first 199"}},
        {"a NUL byte is an error: the rest of its section is lost",
         "MfgProc.ini",
         kSettings + kEntry + "NAME=A" + std::string(1, '\0') + "B\r\n",
         {},
         {"7:7:error:nul-byte NUL byte: the rest of this section, up to the next header, is "
          "never read"}},
        {"a cut never splits a double-byte character",
         "MfgProc.ini",
         kSettings + kEntry + "NAME=" + std::string(198, 'N') + "\x82\xA0" + "\r\n",
         dbcs,
         {"7:6:warning:value-too-long NAME is 200 bytes long: the list keeps its first 198"}},
        {"a double-byte character is one column; a lone lead byte is invalid",
         "MfgProc.ini",
         kSettings + kEntry + "NAME=\x82\xA0\x82\r\nCOMMANDLINE=\x82\xA0 -x\r\n",
         dbcs,
         {"7:7:warning:invalid-byte bytes that are not a character of code page 932"}},
        {"macros: %...% is upper-cased, a macro inside a word is cut out of it",
         "MfgProc.ini",
         kSettings + kEntry + "LOGFILE=%$testdir%\\$TESTDIRX\\$PACKETNAMES $HOME\r\n",
         {},
         {"7:20:error:macro-in-word $TESTDIR is replaced inside the word $TESTDIRX of LOGFILE: "
          "the list gets <TESTDIR>\\<TESTDIR>X\\<PACKETNAME>S $HOME",
          "7:30:error:macro-in-word $PACKETNAME is replaced inside the word $PACKETNAMES of "
          "LOGFILE: the list gets <TESTDIR>\\<TESTDIR>X\\<PACKETNAME>S $HOME",
          "7:43:error:unknown-macro $HOME in LOGFILE is not a path macro: the list gets "
          "<TESTDIR>\\<TESTDIR>X\\<PACKETNAME>S $HOME"}},
        {"process files name one program: the Vista keys are noted",
         "MfgProc.ini",
         kSettings + kEntry + "EXEPATHVISTA32=V.EXE\r\nPACKETPATH=P\r\n",
         {},
         {"7:1:note:vista-path-in-process-file EXEPATHVISTA32 is not read from MfgProc.ini: "
          "EXEPATH serves "
          "every Windows",
          "8:1:warning:unknown-key PACKETPATH is never read from a process file: the list's "
          "PACKETPATH is always the working folder ($TESTDIR)"}},
        {"a later SYSPATCH of the same ID is not kept out by a driver",
         "DrvProc.ini",
         drv("A", "1A2B0001C0DE0101", "DISPLAY") + drv("B", "1A2B0001C0DE0101", "SYSPATCH") +
             drv("C", "1A2B0001C0DE0101", "SOUND"),
         {},
         {"11:1:warning:shadowed-entry [C] is never listed: [A] (line 1) has the same HARDID "
          "1A2B0001C0DE0101 and wins because it comes first in the file"}},
        {"a SYSPATCH without HARDID is listed; a second one is not",
         "DrvProc.ini",
         drv("A", "", "SYSPATCH") + drv("B", "", "SysPatch") + drv("C", "", "SOUND"),
         {},
         {"6:1:warning:shadowed-entry [B] is never listed: [A] (line 1) has the same HARDID "
          "(none) and wins because it comes first in the file",
          "12:8:error:hardid-length [C] has no HARDID and is not a SYSPATCH: it matches no "
          "machine and is never listed"}},
        {"a family is noted once, whatever the order",
         "DrvProc.ini",
         drv("DEV", "1A2B0001C0DE0101", "DISPLAY") + drv("FAM", "1a2b0001", "DISPLAY") +
             drv("DEV2", "1A2B0001C0DE0202", "DISPLAY"),
         {},
         {"6:1:note:family-superseded [FAM] (family 1A2B0001) gives way to [DEV] (line 1) on "
          "machines with device 1A2B0001C0DE0101, even for other devices of the family they "
          "have"}},
        {"without --windows a missing Vista program is a warning",
         "DrvCofg.ini",
         "[A]\r\nTYPE=POWER\r\nEXEPATH=A.EXE\r\n",
         {},
         {"1:1:warning:missing-exepath [A] has no EXEPATHVISTA32: on Windows Vista it is "
          "listed without a program to run"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(lint(c.file, c.bytes, c.options), c.expected);
    }
}

TEST(LintRules, GroupsAreComparedAsTheFiltersCompareThem) {
    // GROUP=preload is group PRELOAD; a typo names the group it is near.
    const auto found = lint("MfgProc.ini", kSettings + "[REWORK]\r\nLOG_FILE=R\r\n" + kEntry +
                                               "[F]\r\nGROUP=preload\r\nEXEPATH=F\r\n"
                                               "[G]\r\nGROUP=REWROK\r\nEXEPATH=G\r\n");
    EXPECT_EQ(found, (std::vector<std::string>{
                         "13:7:warning:group-without-settings group REWROK (1 entry) has no "
                         "settings section [REWROK]; did you mean REWORK?"}));
}

}  // namespace
}  // namespace mfgtool::test
