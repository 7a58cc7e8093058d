// The tests' child-process support: arguments reach the child as given,
// whatever they hold (the Windows build quotes them into one command line),
// and its streams are given and kept on request.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/process.h"

namespace mfg::test {
namespace {

// A Windows child writes its text-mode streams with CR LF line ends.
std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

TEST(ChildProcessSupport, ArgumentsAndStreamsRoundTrip) {
    const std::vector<std::string> args = {"plain",     "two words",    "say \"hi\"",
                                           "C:\\DIR\\", "C:\\My Dir\\", "\\\\SERVER\\SHARE\\\\",
                                           ""};
    ChildProcess child(helperProgram("echo_streams"), args,
                       {std::string("line one\nline two\n"), true, true, {}});
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.wait(), static_cast<int>(args.size()));
    EXPECT_EQ(withoutCarriageReturns(child.output()), "line one\nline two\n");
    std::string expected;
    for (const std::string& arg : args) expected += arg + "\n";
    EXPECT_EQ(withoutCarriageReturns(child.error()), expected);

    ChildProcess quiet(helperProgram("echo_streams"), {}, {std::string(), false, false, {}});
    EXPECT_EQ(quiet.wait(), 0);
    EXPECT_EQ(quiet.output(), "");
}

}  // namespace
}  // namespace mfg::test
