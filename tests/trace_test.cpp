// The trace log: silent without the flag file, one tagged CR LF line per
// message with it, never more than the message buffer holds.
#include <gtest/gtest.h>

#include <string>

#include "support/machine.h"
#include "trace/trace_log.h"

namespace mfg::test {
namespace {

class TraceLogTest : public ::testing::Test {
protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }
    static void clean() {
        test::removeTree(kDebugFlagFile);
        test::removeFile(kTraceLogFile);
    }
    static void flagOn() { test::writeFile(kDebugFlagFile, ""); }
    static std::string log() { return test::readFile(kTraceLogFile); }
};

TEST_F(TraceLogTest, WithoutTheFlagFileNothingIsWritten) {
    for (int i = 0; i < 5; ++i) EXPECT_EQ(TraceLog("===== WORKDIR = %s", "C:\\"), 0);
    EXPECT_FALSE(test::fileExists(kTraceLogFile));
}

TEST_F(TraceLogTest, FlagFileIsLookedUpOnEveryCall) {
    EXPECT_EQ(TraceLog("before"), 0);
    flagOn();
    EXPECT_EQ(TraceLog("during %d", 1), 1);
    test::removeFile(kDebugFlagFile);
    EXPECT_EQ(TraceLog("after"), 0);
    EXPECT_EQ(log(), "ORVANTIS == : during 1\r\n");
}

TEST_F(TraceLogTest, SwitchedOffItWritesNothingEvenWithTheFlagRaisedUntilSwitchedOn) {
    flagOn();
    switchTraceOff(true);
    EXPECT_EQ(TraceLog("while off"), 0);
    switchTraceOff(false);
    EXPECT_EQ(TraceLog("on again"), 1);
    EXPECT_EQ(log(), "ORVANTIS == : on again\r\n");
}

TEST_F(TraceLogTest, AFolderNamedLikeTheFlagFileCounts) {
    test::makeFolder(kDebugFlagFile);
    EXPECT_EQ(TraceLog("folder flag"), 1);
    EXPECT_EQ(log(), "ORVANTIS == : folder flag\r\n");
}

TEST_F(TraceLogTest, NullFormatWritesNothing) {
    flagOn();
    EXPECT_EQ(TraceLog(nullptr), 0);
    EXPECT_FALSE(test::fileExists(kTraceLogFile));
}

TEST_F(TraceLogTest, LinesAreAppendedInCallOrderAfterExistingContent) {
    test::writeFile(kTraceLogFile, "older run\r\n");
    flagOn();
    EXPECT_EQ(TraceLog("===== WORKDIR = %s", "C:\\PKG\\"), 1);
    EXPECT_EQ(TraceLog("OSVERSION = WIN_XP32"), 1);
    EXPECT_EQ(log(),
              "older run\r\n"
              "ORVANTIS == : ===== WORKDIR = C:\\PKG\\\r\n"
              "ORVANTIS == : OSVERSION = WIN_XP32\r\n");
}

TEST_F(TraceLogTest, PercentInAnArgumentIsWrittenUnchanged) {
    flagOn();
    EXPECT_EQ(TraceLog("MFGFILE = %s", "C:\\100%\\%s%d.ini"), 1);
    EXPECT_EQ(log(), "ORVANTIS == : MFGFILE = C:\\100%\\%s%d.ini\r\n");
}

TEST_F(TraceLogTest, LongMessagesAreCutInsideTheBuffer) {
    flagOn();
    const std::string longValue(5000, 'x');
    EXPECT_EQ(TraceLog("%s", longValue.c_str()), 1);
    EXPECT_EQ(log(), "ORVANTIS == : " + std::string(1023, 'x') + "\r\n");
}

TEST_F(TraceLogTest, MissingLogDriveStillReturnsQuietly) {
    flagOn();
    test::makeFolder(kTraceLogFile);  // a folder where the log file should be
    EXPECT_EQ(TraceLog("cannot be written"), 0);
    test::removeTree(kTraceLogFile);
}

}  // namespace
}  // namespace mfg::test
