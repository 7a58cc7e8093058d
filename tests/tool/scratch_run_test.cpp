// What one run of the library comes to once its list is parsed.
#include <gtest/gtest.h>

#include "run/scratch_run.h"

namespace mfgtool::test {
namespace {

// What a run whose list was written comes to once the list is parsed: the
// same whether the run parsed it or preview parses it after its second run.
TEST(ToolRunVerdict, AParsedListWithoutEntriesSaysWhy) {
    const struct {
        std::string bytes;
        bool written, failed;
        std::optional<std::string> tracedReason;
        std::size_t entries;
        std::optional<std::string> noList;
        bool empty;
    } cases[] = {
        {"[SYSTEM]\r\nCOUNT=1\r\n[0]\r\nNAME=A\r\n", true, false, std::nullopt, 1, std::nullopt,
         false},
        {"[SYSTEM]\r\nCOUNT=0\r\n", true, false, std::nullopt, 0, "the list has no entries", true},
        {"[0]\r\nNAME=A\r\n", true, false, std::nullopt, 0, "the list file has no SYSTEM section",
         false},
        // The trace's reason wins, with the folder named as on every run.
        {"[SYSTEM]\r\nCOUNT=0\r\n", true, false, "CANNOT OPEN P:\\MEDIA\\DrvProc.ini", 0,
         "CANNOT OPEN <folder>\\DrvProc.ini", false},
        // A failed run keeps the library's reason; no list, nothing to parse.
        {"[SYSTEM]\r\nCOUNT=0\r\n", true, true, std::nullopt, 0, "kept", false},
        {"", false, false, std::nullopt, 0, "kept", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        LibraryRun run;
        run.folderForLibrary = "p:\\media\\";
        run.listBytes = c.bytes;
        run.list.written = c.written;
        run.failed = c.failed;
        run.tracedReason = c.tracedReason;
        if (c.failed || !c.written) run.noList = "kept";
        takeParsedList(run);
        EXPECT_EQ(run.list.entries.size(), c.entries);
        EXPECT_EQ(run.noList, c.noList);
        EXPECT_EQ(run.empty, c.empty);
    }
}

}  // namespace
}  // namespace mfgtool::test
