// The tool's text: ASCII-only case, natural order of names and versions,
// and code pages to UTF-8 and back.
#include <gtest/gtest.h>

#include "common/text_encoding.h"

namespace mfgtool::test {
namespace {

const std::string kKanji = "\xE6\xBC\xA2\xE5\xAD\x97";  // 2 characters, 4 columns

TEST(ToolText, FindIgnoringAsciiCase) {
    const struct {
        std::string text, part;
        std::size_t at;
    } cases[] = {
        {"P:\\DRV\\SETUP.EXE", "p:\\drv\\", 0},
        {"x Z:\\Media\\a", "z:\\MEDIA\\", 2},
        {"ends in abC", "ABC", 8},         // a match that ends the text
        {"ab", "abc", std::string::npos},  // longer than the text
        {"\xE9t\xC9", "\xC9", 2},          // only a-z fold: \xE9 is not \xC9
        {"anything", "", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(findIgnoringAsciiCase(c.text, c.part), c.at) << c.text;
}

TEST(ToolText, AsciiCaseChangesOnlyLetters) {
    EXPECT_EQ(lowerAscii("MfgProc.INI \xC9@[`"), "mfgproc.ini \xC9@[`");
    EXPECT_EQ(upperAscii("mfgproc.ini \xE9@[`{"), "MFGPROC.INI \xE9@[`{");
}

// Model names and VERSIONs: digit runs count by their value, letters
// without regard to case; only names equal in every byte tie.
TEST(ToolText, NaturalOrder) {
    const struct {
        std::string a, b;
        int order;  // naturalCompare(a, b)
    } cases[] = {
        {"aio-e20-2", "aio-e20-10", -1},
        {"e-05", "e-5", 0},  // leading zeros aside
        {"Model-9", "model-10", -1},
        {"a", "a-1", -1},  // a prefix first
        {"a1b", "a1", 1},
        {"x99999999999999999999", "x100000000000000000000", -1},  // past any integer type
        {"", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.a + " vs " + c.b);
        EXPECT_EQ(naturalCompare(c.a, c.b), c.order);
        EXPECT_EQ(naturalCompare(c.b, c.a), -c.order);
    }
    EXPECT_TRUE(naturalLess("A-2", "a-2")) << "equal but for case: by the bytes";
    EXPECT_FALSE(naturalLess("a-2", "A-2"));
    EXPECT_FALSE(naturalLess("a-2", "a-2"));
}

TEST(ToolText, CodePagesToUtf8AndBack) {
    const struct {
        int codePage;
        std::string bytes;
        std::string utf8;
        bool valid;
    } cases[] = {
        {1252, "r\xE9seau \x80", "r\xC3\xA9seau \xE2\x82\xAC", true},
        {1252, "a\x81z", "a\xEF\xBF\xBDz", false},  // 0x81 is no character in 1252
        {932,
         "\x83h\x83\x89\x83"
         "C\x83o",
         "\xE3\x83\x89\xE3\x83\xA9\xE3\x82\xA4\xE3\x83\x90", true},
        {932, "\xB1", "\xEF\xBD\xB1", true},     // half-width katakana, one byte
        {932, "A\x83", "A\xEF\xBF\xBD", false},  // a lead byte without its second byte
        {936, "\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87", true},
        {949, "\xC7\xD1", "\xED\x95\x9C", true},
        {950, "\xA4\xA4", "\xE4\xB8\xAD", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.codePage) + " " + c.utf8);
        const DecodedText decoded = decodeCodePage(c.bytes, c.codePage);
        EXPECT_EQ(decoded.utf8, c.utf8);
        EXPECT_EQ(decoded.valid, c.valid);
        if (c.valid) {
            EXPECT_EQ(encodeCodePage(c.utf8, c.codePage), c.bytes);
        }
    }
    EXPECT_EQ(encodeCodePage(kKanji, 1252), std::nullopt);
    EXPECT_EQ(displayWidth(kKanji + "ab"), 6u);
}

}  // namespace
}  // namespace mfgtool::test
