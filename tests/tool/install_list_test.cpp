// The install list file as a host reads it: sections and keys without
// regard to case, every line end, and a list of many entries.
#include <gtest/gtest.h>

#include "list/install_list.h"

namespace mfgtool::test {
namespace {

TEST(ToolListFile, FirstSectionAndKeyWinWithoutRegardToCase) {
    const IniDocument document = parseIni(
        "KEY=before any section\r\n[SYSTEM]\r\nCOUNT=2\r\ncount=9\r\n[0]\r\nNAME=\"First\"\r\n"
        "[system]\r\nCOUNT=7\r\n[1]\r\n  NAME =  Second  \r\n");
    ASSERT_EQ(document.sections().size(), 3u);
    EXPECT_EQ(*document.find("system")->find("count"), "2");
    const InstallList list = installListFrom(document);
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_EQ(list.entries[0][0].second, "First");
    EXPECT_EQ(list.entries[1][0].second, "Second");
    EXPECT_TRUE(list.problems.empty());
}

// A line ends at a CR, an LF or both, whichever comes first; the same list
// written with each reads alike.
TEST(ToolListFile, EveryLineEndEndsALine) {
    for (const std::string end : {"\r\n", "\n", "\r", "\n\r", "\r\r\n"}) {
        SCOPED_TRACE(::testing::PrintToString(end));
        const InstallList list =
            installListFrom(parseIni("[SYSTEM]" + end + "COUNT=2" + end + "[0]" + end + "NAME=A" +
                                     end + "Name=B" + end + "[1]" + end + "NAME=C"));
        ASSERT_EQ(list.entries.size(), 2u);
        EXPECT_EQ(list.entries[0], (KeyValues{{"NAME", "A"}}));
        EXPECT_EQ(list.entries[1], (KeyValues{{"NAME", "C"}}));
    }
}

TEST(ToolListFile, ReadsAListOfManyEntries) {
    std::string text = "[SYSTEM]\r\nCOUNT=40000\r\n";
    for (int i = 0; i < 40000; ++i)
        text += "[" + std::to_string(i) + "]\r\nNAME=E" + std::to_string(i) + "\r\n";
    const InstallList list = installListFrom(parseIni(text));
    ASSERT_EQ(list.entries.size(), 40000u);
    EXPECT_EQ(list.entries[39999][0].second, "E39999");
}

}  // namespace
}  // namespace mfgtool::test
