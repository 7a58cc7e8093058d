// What a debugger sees of a list run with the trace off: each TYPE the type
// filter reads, TRUE for each group match, and each entry's name when it is
// expanded and when it is written.  The POSIX machine sends debugger output
// to a file, one line per message.
#include <gtest/gtest.h>

#include <string>

#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "support/machine.h"
#include "trace/trace_log.h"

namespace mfg::test {
namespace {

TEST(EntryDebugOutput, WithoutTheTraceTheDebuggerStillSeesTheEntries) {
    test::ScratchFolder dir("debugout");
    test::removeTree(kDebugFlagFile);
    test::writeFile(dir / "MfgProc.ini",
                    "[PRELOAD]\r\n"
                    "[A]\r\nGROUP=PRELOAD\r\nTYPE=Sound\r\nNAME=$SECTORNAME x\r\n"
                    "[B]\r\nGROUP=PRELOAD\r\nTYPE=SOFTWARE\r\nNAME=b\r\n"
                    "[C]\r\nGROUP=OTHER\r\nTYPE=Display\r\n"
                    "[D]\r\nGROUP=preload\r\nPACKETNAME=P\r\n");
    const std::string seen = dir / "DEBUG.TXT";
    test::ScopedEnv output("MFGLIST_DEBUG_OUTPUT", test::hostPath(seen));
    CMfgList list(MFG_LIST_DRIVER, ("X -P " + dir.path()).c_str(), 0);
    list.CreateIniFile(0, nullptr, dir / "LIST.INI");
    EXPECT_EQ(test::readFile(seen),
              "\n"
              "Sound\nTRUE\nA x\nA x\n"
              "SOFTWARE\n"
              "Display\n"
              "\nTRUE\nP\nP\n");
    list.FreeItems();
}

}  // namespace
}  // namespace mfg::test
