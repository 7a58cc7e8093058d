// The tool's one way of reading a file whole: every byte of it, also past
// the size the system tells (sysfs and /proc tell none), and nothing at all
// for a file that cannot be read, with why.
#include <gtest/gtest.h>

#include "common/file_reads.h"
#include "support/tool/run_tool.h"

namespace mfgtool::test {
namespace {

TEST(ToolFileReads, EveryByteOrNothingWithWhy) {
    const ScratchFolder scratch{"reads", ScratchPlace::hostTemp};
    const fs::path folder = scratch.hostFolder();
    std::string bytes(70000, 'x');
    bytes[10] = '\0';
    bytes[69999] = '\x1a';
    const struct {
        const char* what;
        std::string content;
    } files[] = {
        {"empty", ""}, {"with NUL and EOF mark", bytes}, {"one line", "[0]\r\nNAME=a\r\n"}};
    for (const auto& file : files) {
        writeText(folder / "f", file.content);
        ReadFault fault = ReadFault::cutShort;
        EXPECT_EQ(readFileWhole(folder / "f", fault), file.content) << file.what;
        EXPECT_EQ(fault, ReadFault::none) << file.what;
    }
    ReadFault fault = ReadFault::none;
    EXPECT_EQ(readFileWhole(folder / "missing", fault), std::nullopt);
    EXPECT_EQ(fault, ReadFault::notOpened);
    EXPECT_EQ(readFileWhole(folder), std::nullopt) << "a folder is no file";
    EXPECT_EQ(fileBytes(folder / "missing"), "");
}

TEST(ToolFileReads, AFileWhoseSizeTheSystemDoesNotTellIsReadToItsEnd) {
    const fs::path status = "/proc/self/status";
    std::error_code ec;
    if (!fs::exists(status, ec) || fs::file_size(status, ec) != 0)
        GTEST_SKIP() << "no file here that tells no size";
    const std::optional<std::string> bytes = readFileWhole(status);
    ASSERT_TRUE(bytes);
    EXPECT_NE(bytes->find("Name:"), std::string::npos);
}

}  // namespace
}  // namespace mfgtool::test
