// A list section's JSON as the contract has it: numbers only where the
// library writes them as numbers, folders named whatever their case, and
// bytes beyond the code page kept raw.
#include <gtest/gtest.h>

#include "present/json_contract.h"

namespace mfgtool::test {
namespace {

TEST(ToolJsonContract, NumbersOnlyAsTheLibraryWritesThemAndFoldersWhateverTheirCase) {
    const TextForJson text{1252, {{"C:\\WORK", "<folder>"}}};
    const Json section = sectionJson({{"ID", "-12"},
                                      {"TIMEOUT", "007"},
                                      {"RESULTVALUE", "2147483648"},
                                      {"REBOOT_COUNT", "-0"},
                                      {"VERSION", "12"},
                                      {"EXEPATH", "c:\\work\\Setup.exe -q C:\\Work\\x"},
                                      {"NAME", "r\xE9seau\x81"}},
                                     text);
    const Json expected = Json::parse(R"({"keys": {
        "ID": -12, "TIMEOUT": "007", "RESULTVALUE": "2147483648", "REBOOT_COUNT": "-0",
        "VERSION": "12", "EXEPATH": "<folder>\\Setup.exe -q <folder>\\x",
        "NAME": "r\u00e9seau\ufffd"},
        "raw": {"NAME": "72e97365617581"}})");
    EXPECT_EQ(section, expected) << section.dump(2);
}

}  // namespace
}  // namespace mfgtool::test
