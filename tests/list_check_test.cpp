// The list check that the fuzz targets and the crash tests rest on: if it
// let a broken list pass, both would stay green over a broken library.
#include <gtest/gtest.h>

#include <string>

#include "support/list_check.h"

namespace mfg::test {
namespace {

const std::string kSystem = "[SYSTEM]\r\nINDEX=0\r\nCOUNT=2\r\nINSTALLSTATUS=0\r\nLOG_FILE=\r\n";
std::string entry(int n, const std::string& extra = "") {
    return "[" + std::to_string(n) + "]\r\nGROUP=PRELOAD\r\nNAME=N" + std::to_string(n) +
           "\r\nEXEPATH=C:\\A.EXE\r\nTYPE=DISPLAY\r\n" + extra + "REDAYINSTALL=0\r\n";
}

TEST(ListCheck, AcceptsSoundListsAndNamesWhatIsWrongWithOthers) {
    const std::string sound = kSystem + entry(0) + entry(1);
    struct Case {
        const char* what;
        std::string list;
        std::string problem;  // the start of the answer; "" for a sound list
    } cases[] = {
        {"a sound list", sound, ""},
        {"nothing committed", "", ""},
        {"entries in another order", kSystem + entry(1) + entry(0), ""},
        {"no SYSTEM", entry(0) + entry(1), "no SYSTEM section"},
        {"COUNT not decimal", "[SYSTEM]\r\nCOUNT=2x\r\n" + entry(0) + entry(1),
         "SYSTEM without a decimal COUNT"},
        {"one entry short", kSystem + entry(0), "COUNT=2 but 1 entry sections"},
        {"a gap", kSystem + entry(0) + entry(2), "no section [1]"},
        {"an injected header", kSystem + entry(0) + entry(1, "COMMANDLINE=a\r\n[0]\r\n"),
         "section [0] twice"},
        {"an injected key", kSystem + entry(0) + entry(1, "COMMANDLINE=a\r\nNAME=b\r\n"),
         "key NAME twice in one section"},
        {"a torn last entry", sound.substr(0, sound.size() - 16),
         "section [1] without REDAYINSTALL"},
        {"a line cut in two", kSystem + entry(0) + entry(1, "COMMANDLINE=a\r\nb\r\n"),
         "a line that is no key: b"},
        {"a key the list never writes", kSystem + entry(0) + entry(1, "X=1\r\n"),
         "a key the list never writes: X=1"},
        {"a broken header", kSystem + entry(0) + "[1\r\n" + entry(1).substr(5),
         "a header line that is not [name]"},
        {"a key before any section", "COUNT=0\r\n" + sound, "a key before any section"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string problem = checkListFile(c.list, text::CodePage());
        EXPECT_EQ(problem.substr(0, c.problem.size()), c.problem);
        EXPECT_EQ(problem.empty(), c.problem.empty()) << problem;
    }
}

}  // namespace
}  // namespace mfg::test
