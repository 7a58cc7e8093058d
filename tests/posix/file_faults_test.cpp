// File-system faults of the POSIX machine: the system's own words for a
// failure reach the trace, a FIFO is refused, and a folder listing cut short
// by an error is never kept.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "support/file_faults_fixture.h"

namespace mfg::test {
namespace {

using test::FileFaults;
using test::kList;
using test::kOldList;
using test::kRuns;
namespace fi = platform::testing;

// The reason a failed replace gives is that of the call that failed.
TEST_F(FileFaults, FailedRenameReportsItsOwnError) {
    layOut(false, 2);
    test::writeFile(kList, kOldList);
    test::TraceCapture trace;
    fi::injectFileFault(1, EXDEV, fi::kRenameCall);
    run(kRuns[0]);
    EXPECT_TRUE(fi::fileFaultMade());
    EXPECT_EQ(test::readFile(kList), kOldList);
    EXPECT_TRUE(traceSays(trace, "CANNOT REPLACE THE FILE: INVALID CROSS-DEVICE LINK"));
}

// A FIFO as a process file would block the run for ever; it is refused.  A
// read-only trace log is left as it is, even for root.
TEST_F(FileFaults, FifoProcessFileAndReadOnlyTraceLog) {
    ASSERT_EQ(::mkfifo(test::hostPath("C:\\FAULTS\\MfgProc.ini").c_str(), 0644), 0);
    test::writeFile(kList, kOldList);
    test::TraceCapture trace;
    run(kRuns[0]);
    EXPECT_EQ(test::readFile(kList), kOldList);
    EXPECT_TRUE(traceSays(trace, "(NOT A REGULAR FILE)"));
    test::setReadOnly(kTraceLogFile, true);
    const std::string before = test::readFile(kTraceLogFile);
    run(kRuns[0]);
    EXPECT_EQ(test::readFile(kTraceLogFile), before);
    test::setReadOnly(kTraceLogFile, false);
}

// The process file's name differs from the host's spelling only in case,
// so finding it takes a listing of its folder.  A listing that a failing
// readdir cut short is not kept: the next run lists again and finds it.
TEST_F(FileFaults, ListingCutShortByAnErrorIsNotKept) {
    test::writeFile("C:\\FAULTS\\mfgproc.ini", "[PRELOAD]\r\n" + test::entries("VGA", 2));
    // Old enough that a whole listing of the folder would be kept.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (std::uint64_t failAt : {std::uint64_t{2}, std::uint64_t{3}}) {
        test::writeFile(kList, kOldList);
        fi::injectFileFault(failAt, EIO, fi::kListCall);
        run(kRuns[0]);
        EXPECT_TRUE(fi::fileFaultMade()) << failAt;
        fi::clearFileFault();
        run(kRuns[0]);
        EXPECT_NE(test::readFile(kList).find("COUNT=2"), std::string::npos) << failAt;
    }
}

}  // namespace
}  // namespace mfg::test
