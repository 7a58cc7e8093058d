// Tables by display width: cells cut never inside a character, columns
// aligned and fitted, and a source's place shortened part by part.
#include <gtest/gtest.h>

#include "common/text_encoding.h"
#include "present/report.h"
#include "present/table.h"

namespace mfgtool::test {
namespace {

const std::string kKanji = "\xE6\xBC\xA2\xE5\xAD\x97";  // 2 characters, 4 columns

TEST(ToolTable, CellsAreCutByDisplayWidthNeverInsideACharacter) {
    const struct {
        std::string text;
        std::size_t width;
        bool keepEnd;
        std::string cut;
    } cases[] = {
        {"short", 10, false, "short"},
        {"C:\\A\\LONG\\PATH.EXE", 12, true, "...\\PATH.EXE"},
        {"A long driver name", 10, false, "A long ..."},
        {kKanji + kKanji, 6, false, "\xE6\xBC\xA2..."},  // a wide character is not halved
        {kKanji + kKanji, 7, false, kKanji + "..."},
        {"r\xC3\xA9seau", 6, false, "r\xC3\xA9seau"},  // é is one column
        {"anything", 2, false, ".."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string cut = fitCell(c.text, c.width, c.keepEnd);
        EXPECT_EQ(cut, c.cut);
        EXPECT_LE(displayWidth(cut), c.width);
    }
}

TEST(ToolTable, ColumnsAlignByDisplayWidthAndFitTheWidth) {
    const std::vector<TableColumn> columns = {{"NAME", false, true, false, 4},
                                              {"ID", true, false, false, 0}};
    const std::vector<std::vector<std::string>> rows = {{kKanji, "1"}, {"ab", "22"}};
    const std::vector<std::string> lines = renderTable(columns, rows, 40);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "  " + kKanji + "   1");
    EXPECT_EQ(lines[2], "  ab    22");
    for (const std::string& line : renderTable(columns, {{kKanji + kKanji + kKanji, "1"}}, 12))
        EXPECT_LE(displayWidth(line), 12u) << line;
}

TEST(ToolTable, ASourceGivesUpItsFolderThenItsSectionThenItsFileName) {
    const ShownPlace nested{"cd\\DRIVERS\\DrvProc.ini", "HOTFIX_USB", 30};
    const ShownPlace wide{"MfgProc.ini", kKanji + kKanji, 7};
    const struct {
        const ShownPlace& place;
        std::size_t width;
        std::string cut;
    } cases[] = {
        {nested, 40, "cd\\DRIVERS\\DrvProc.ini:30 [HOTFIX_USB]"},
        {nested, 33, "...RS\\DrvProc.ini:30 [HOTFIX_USB]"},
        {nested, 29, "DrvProc.ini:30 [HOTFIX_USB]"},
        {nested, 22, "DrvProc.ini:30 [HO...]"},
        {nested, 16, "DrvProc.ini:30"},
        {nested, 10, "DrvP...:30"},
        {wide, 22, "MfgProc.ini:7 [\xE6\xBC\xA2...]"},  // a wide character is not halved
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        const std::string cut = fitPlaceText(c.place, c.width);
        EXPECT_EQ(cut, c.cut);
        EXPECT_LE(displayWidth(cut), c.width);
    }
}

}  // namespace
}  // namespace mfgtool::test
