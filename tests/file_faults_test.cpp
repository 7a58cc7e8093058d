// File-system faults injected through the platform's file-call table, on
// both builds: every failure of a whole list run leaves the old list byte for
// byte or writes the complete new one, leaves no temporary file, and is
// named in the trace.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "reader/parse_ini_file.h"
#include "support/file_faults_fixture.h"
#include "support/list_check.h"

namespace mfg::test {
namespace {

using test::FileFaults;
using test::kList;
using test::kOldList;
using test::kRuns;
using test::ListRun;
namespace fi = platform::testing;

// A read that fails part-way through a process file (here each file is
// about 200 KiB, more than one read) is an error, not an end: nothing is
// committed, no later file is tried and no entry is read, so the trace ends
// with the failure, naming the file and why.  The last read of a walk is the
// one at the end of the file, so the one before it stops the walk part-way.
TEST_F(FileFaults, ReadErrorPartWayCommitsNothing) {
    test::TraceCapture trace;
    for (const ListRun& r : kRuns) {
        SCOPED_TRACE(r.what);
        layOut(r.cdRom, 50, 4000);
        // The reads of the process files alone: the media's driver list
        // reads an old list last, when it writes.
        test::removeFile(kList);
        fi::injectFileFault(0, 0, fi::kReadCall);
        run(r);
        const std::uint64_t reads = fi::fileCallsCounted();
        // Part-way through the last file walked, and part-way through the
        // first file read: the group settings, or the media's matched drivers.
        for (std::uint64_t failAt : {reads - 1, std::uint64_t{2}}) {
            test::writeFile(kList, kOldList);
            trace.clear();
            fi::injectFileFault(failAt, EIO, fi::kReadCall);
            run(r);
            fi::clearFileFault();
            EXPECT_EQ(test::readFile(kList), kOldList) << failAt;
            const std::vector<std::string> lines = trace.lines();
            ASSERT_GE(lines.size(), 2u) << failAt;
            const std::string& failure = lines[lines.size() - 2];
            EXPECT_EQ(failure.rfind("********** CANNOT READ MFGFILE = C:\\FAULTS\\", 0), 0u)
                << failAt << ::testing::PrintToString(lines);
            EXPECT_EQ(lines.back().rfind("********** LIST FILE LEFT AS IT WAS", 0), 0u) << failAt;
        }
    }
}

// Every I/O call of whole list runs, in turn, fails.
TEST_F(FileFaults, EveryFailingCallLeavesTheOldListOrTheWholeNewOne) {
    test::TraceCapture trace;
    for (const ListRun& r : kRuns) {
        SCOPED_TRACE(r.what);
        layOut(r.cdRom, 4);
        test::writeFile(kList, kOldList);
        fi::injectFileFault(0, 0);
        run(r);
        fi::clearFileFault();
        const std::uint64_t calls = fi::fileCallsCounted();
        const std::string newList = test::readFile(kList);
        ASSERT_NE(newList, kOldList);
        for (std::uint64_t n = 1; n <= calls; ++n) {
            test::writeFile(kList, kOldList);
            trace.clear();
            fi::injectFileFault(n, n % 2 ? EIO : ENOSPC);
            run(r);
            fi::clearFileFault();
            const std::string list = test::readFile(kList);
            EXPECT_TRUE(list == kOldList || list == newList) << "call " << n << ":\n" << list;
            if (list == kOldList) {
                EXPECT_TRUE(traceSays(trace, "**********")) << "call " << n;
            }
            EXPECT_EQ(filesInListFolder(), 1u) << "call " << n;
            EXPECT_FALSE(test::fileExists("C:\\Temp.ini")) << "call " << n;
        }
    }
}

// The lookup copy is written at the first lookup of a section, not at every
// one: a list run looks up a dozen keys a section.
TEST_F(FileFaults, LookupCopyWrittenOncePerSection) {
    test::writeFile("C:\\FAULTS\\P.INI", "[A]\r\nK=1\r\nL=2\r\n[B]\r\nK=3\r\n");
    CParseIniFile* reader = CParseIniFile::GetInstance();
    ASSERT_EQ(reader->OpenFile("C:\\FAULTS\\P.INI"), 1);
    ASSERT_EQ(reader->FirstSection(), 1);
    fi::injectFileFault(0, 0, fi::kWriteCall);
    EXPECT_EQ(reader->GetValue("K"), "1");
    const std::uint64_t firstLookup = fi::fileCallsCounted();
    EXPECT_GE(firstLookup, 1u);
    EXPECT_EQ(reader->GetValue("L"), "2");
    EXPECT_EQ(reader->wholeValue("K"), "1");
    EXPECT_EQ(fi::fileCallsCounted(), firstLookup);
    fi::clearFileFault();
    reader->CloseFile();
    CParseIniFile::ReleaseInstance();
}

// Asking after a file, listing a folder and removing one fail too.  A failed
// existence test reads as a missing file, which may change what the run
// reads (no process file is CD-ROM mode), so the list may be another one;
// but it is never torn, and nothing is left beside it.
TEST_F(FileFaults, FailedQueriesListingsAndRemovalsNeverTearTheList) {
    test::TraceCapture trace;
    const text::CodePage cp = text::CodePage::active();
    const unsigned kinds = fi::kStatCall | fi::kListCall | fi::kUnlinkCall;
    // Each mode's driver list: the other kinds ask after the same files.
    for (const ListRun& r : {kRuns[0], kRuns[3]}) {
        SCOPED_TRACE(r.what);
        layOut(r.cdRom, 4);
        test::writeFile(kList, kOldList);
        fi::injectFileFault(0, 0, kinds);
        run(r);
        fi::clearFileFault();
        const std::uint64_t calls = fi::fileCallsCounted();
        ASSERT_GT(calls, 0u);
        for (std::uint64_t n = 1; n <= calls; ++n) {
            test::writeFile(kList, kOldList);
            fi::injectFileFault(n, n % 2 ? EIO : EACCES, kinds);
            run(r);
            fi::clearFileFault();
            const std::string list = test::readFile(kList);
            if (list != kOldList) {
                EXPECT_EQ(test::checkListFile(list, cp), "") << "call " << n;
            }
            EXPECT_EQ(filesInListFolder(), 1u) << "call " << n;
        }
    }
}

}  // namespace
}  // namespace mfg::test
