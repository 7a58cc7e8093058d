// The quoting of a Windows command line, rule by rule: what the C
// run-time's parser must read back as the one argument given.  (A child of
// the tests' process support shows the round trip under Wine.)
#include <gtest/gtest.h>

#include "win32/argument_quoting.h"

namespace mfgtool::test {
namespace {

struct QuotingCase {
    const char* what;
    std::string arg;
    std::string quoted;
};

const QuotingCase kQuotingCases[] = {
    {"a plain word stays as it is", "plain", "plain"},
    {"backslashes without blanks stay as they are", "\\\\SERVER\\SHARE\\", "\\\\SERVER\\SHARE\\"},
    {"an empty argument is a pair of quotes", "", "\"\""},
    {"a space is quoted", "two words", "\"two words\""},
    {"a tab is quoted", "tab\there", "\"tab\there\""},
    {"a quote is escaped", "say \"hi\"", "\"say \\\"hi\\\"\""},
    {"backslashes before a quote double", "a\\\"b", "\"a\\\\\\\"b\""},
    {"backslashes elsewhere stay single", "C:\\My Dir\\x", "\"C:\\My Dir\\x\""},
    {"a trailing backslash doubles before the closing quote", "C:\\My Dir\\", "\"C:\\My Dir\\\\\""},
};

TEST(ArgumentQuoting, EachRuleQuotesAsTheParserReadsBack) {
    for (const QuotingCase& c : kQuotingCases)
        EXPECT_EQ(mfgtool::quoteArgument(c.arg), c.quoted) << c.what;
}

TEST(ArgumentQuoting, CommandLineJoinsTheQuotedWords) {
    EXPECT_EQ(mfgtool::commandLineOf("C:\\Program Files\\mfglist.exe", {"lint", "", "a b"}),
              "\"C:\\Program Files\\mfglist.exe\" lint \"\" \"a b\"");
}

}  // namespace
}  // namespace mfgtool::test
