// The examples' factory and CD-ROM media, each with one mistake planted that
// changes what a PC gets: lint must catch every one, with the severity that
// fits its consequence and the text the list will really hold.
#include <string>
#include <utility>
#include <vector>

#include "common/text_encoding.h"
#include "lint/lint_folder.h"
#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

using mfgtool::lint::Finding;
using mfgtool::lint::Severity;

struct Planted {
    const char* what;
    bool cdrom;
    const char* file;
    std::vector<std::pair<std::string, std::string>> replaced;  // first occurrence of each
    const char* rule;
    Severity severity;
    std::string says;  // UTF-8, part of the message
};

// Lints `examples` (a copy of the examples) with the mistake planted.
std::vector<Finding> lintWith(const Planted& p, const fs::path& examples) {
    const fs::path folder = examples / (p.cdrom ? "cdrom" : "factory");
    const fs::path file = folder / p.file;
    std::string text = readText(file);
    for (const auto& [from, to] : p.replaced) {
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
    }
    writeText(file, text);
    mfgtool::lint::LintOptions options;
    options.folder = folder.string();
    options.cdrom = p.cdrom;
    options.isValidCharacter = [](std::string_view c) {
        return mfgtool::decodeCodePage(c, 1252).valid;
    };
    options.utf8Meaning = [](std::string_view bytes) {
        return mfgtool::utf8InCodePage(bytes, 1252);
    };
    return mfgtool::lint::lintFolder(options).findings;
}

const Planted kPlanted[] = {
    {"a near miss of SOFTWARE",
     false,
     "MfgProc.ini",
     {{"TYPE=MAINBOARD", "TYPE=SOFTWRAE"}},
     "unknown-type",
     Severity::error,
     "it joins the driver list"},
    {"a number with a unit",
     false,
     "MfgProc.ini",
     {{"TIMEOUT=300", "TIMEOUT=10min"}},
     "bad-number",
     Severity::error,
     "TIMEOUT=10min is not a whole number: the list gets 10"},
    {"an environment variable",
     false,
     "MfgProc.ini",
     {{"EXEPATH=$MFGPROCPATH\\DRIVERS\\AUDIO\\SETUP.EXE", "EXEPATH=%ProgramFiles%\\Tool\\A.EXE"}},
     "percent-name",
     Severity::error,
     "the list gets PROGRAMFILES\\Tool\\A.EXE"},
    {"WINDIR inside a word",
     false,
     "MfgProc.ini",
     {{"EXEPATH=$MFGPROCPATH\\DRIVERS\\AUDIO\\SETUP.EXE", "EXEPATH=C:\\WINDIRECTORY\\A.EXE"}},
     "macro-in-word",
     Severity::error,
     "the list gets C:\\C:\\WINDOWSECTORY\\A.EXE"},
    {"$WINDIR",
     false,
     "MfgProc.ini",
     {{"LOGFILE=$TESTDIR\\LOGS\\$PACKETNAME.LOG", "LOGFILE=$WINDIR\\TEMP\\A.LOG"}},
     "unknown-macro",
     Severity::error,
     "the list gets $C:\\WINDOWS\\TEMP\\A.LOG"},
    {"a make-style macro",
     false,
     "MfgProc.ini",
     {{"LOGFILE=$TESTDIR\\LOGS\\$PACKETNAME.LOG", "LOGFILE=$(TESTDIR)\\A.LOG"}},
     "unknown-macro",
     Severity::error,
     "the list gets $(TESTDIR)\\A.LOG"},
    {"UTF-8 without a byte-order mark",
     false,
     "MfgProc.ini",
     {{"NAME=Display driver", "NAME=Pilote vid\xC3\xA9o"}},
     "utf8-read-as-ansi",
     Severity::error,
     "\"NAME=Pilote vid\xC3\xA9o\" as the file means it, the list gets \"NAME=Pilote "
     "vid\xC3\x83\xC2\xA9o\""},
    {"a Vista program in a process file",
     false,
     "MfgProc.ini",
     {{"TIMEOUT=300", "EXEPATHVISTA32=A.EXE"}},
     "vista-path-in-process-file",
     Severity::note,
     "EXEPATHVISTA32 is not read from MfgProc.ini"},
    {"a doubled bracket in a group header",
     false,
     "MfgProc.ini",
     {{"[PRELOAD]", "[PRELOAD]]"}},
     "unfindable-header",
     Severity::error,
     "a lookup by name reads it as PRELOAD]"},
    {"a driver among the software",
     true,
     "SoftProc.ini",
     {{"TYPE=SOFTWARE", "TYPE=BOX"}, {"disable=driver-in-software-file", ""}},
     "driver-in-software-file",
     Severity::error,
     "is a driver (TYPE BOX)"},
    {"a newer driver kept out by file order",
     true,
     "DrvProc.ini",
     {{"ID=30\r\n", "ID=30\r\nVERSION=1.0\r\n"}, {"ID=29\r\n", "ID=29\r\nVERSION=2.5\r\n"}},
     "shadowed-entry",
     Severity::error,
     "[LAN] (line 62) has the same HARDID 5E6F2000 and wins because it comes first in the file, "
     "though its VERSION 1.0 is older than 2.5"},
};

TEST(LintPlanted, EachMistakeIsCaughtWithItsSeverityAndWhatTheListGets) {
    const ScratchFolder scratchFolder{"tool", ScratchPlace::hostTemp};
    const fs::path scratch = scratchFolder.hostFolder();
    std::size_t index = 0;
    for (const Planted& p : kPlanted) {
        SCOPED_TRACE(p.what);
        const fs::path examples = scratch / std::to_string(index++);
        fs::copy(examplesFolder(), examples, fs::copy_options::recursive);
        std::vector<std::string> seen;
        bool caught = false;
        for (const Finding& f : lintWith(p, examples)) {
            const std::string message = mfgtool::decodeCodePage(f.message, 1252).utf8;
            seen.push_back(f.rule + ": " + message);
            if (f.rule == p.rule && f.severity == p.severity &&
                message.find(p.says) != std::string::npos)
                caught = true;
        }
        EXPECT_TRUE(caught) << ::testing::PrintToString(seen);
    }
}

}  // namespace
}  // namespace mfgtool::test
