#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "text/mbstring.h"
#include "text/windows_path.h"

namespace mfg::test {

using namespace text;

namespace {

using namespace std::literals;
constexpr std::size_t npos = std::string_view::npos;

const CodePage kPages[] = {CodePage(1252), CodePage(932), CodePage(936), CodePage(949),
                           CodePage(950)};

// Rows give one answer for 1252 and one for every double-byte page: 0x81 is a
// lead byte in all four of them.
struct FindRow {
    std::string_view text, needle;
    std::size_t from, single, dbl;
};
const FindRow kFind[] = {
    {"\x81[x["sv, "["sv, 0, 1, 3},          {"\x81]"sv, "]"sv, 0, 1, npos},
    {"\x81\\\\"sv, "\\"sv, 0, 1, 2},        {"\x81[["sv, "["sv, 1, 1, 2},
    {"\x81\x81\x81["sv, "["sv, 1, 3, npos}, {"a\x81["sv, "a\x81"sv, 0, 0, npos},
    {"ab\x81"sv, "\x81"sv, 0, 2, 2},        {"\x81 ["sv, " "sv, 0, 1, npos},
    {"\0\x81\0["sv, "\0["sv, 0, 2, npos},   {"\x81["sv, ""sv, 1, 1, npos},
};

TEST(TextFind, TrailBytesNeverMatch) {
    for (const CodePage& cp : kPages) {
        for (const FindRow& r : kFind) {
            SCOPED_TRACE(testing::Message() << cp.id() << " row " << (&r - kFind));
            const std::size_t want = cp.isDoubleByte() ? r.dbl : r.single;
            EXPECT_EQ(find(r.text, r.needle, r.from, cp), want);
            if (r.needle.size() == 1) {
                EXPECT_EQ(findChar(r.text, r.needle[0], r.from, cp), want);
            }
        }
    }
}

struct EditRow {
    std::string_view text, from, to, single, dbl;
};
const EditRow kReplace[] = {
    {"\x81[x["sv, "["sv, "]"sv, "\x81]x]"sv, "\x81[x]"sv},
    {"\x81\\\\"sv, "\\"sv, "/"sv, "\x81//"sv, "\x81\\/"sv},
    {"aaa"sv, "aa"sv, "b"sv, "ba"sv, "ba"sv},
    {"aabb"sv, "ab"sv, ""sv, "ab"sv, "ab"sv},  // the joined "ab" is not searched again
    {"aa"sv, "a"sv, "ba"sv, "baba"sv, "baba"sv},
    {"a\x81["sv, "a\x81"sv, "X"sv, "X["sv, "a\x81["sv},
    {"a\0b\0"sv, "\0"sv, "0"sv, "a0b0"sv, "a0b0"sv},
    {"abc"sv, ""sv, "x"sv, "abc"sv, "abc"sv},
};
// Upper-casing: only `text`, `single` and `dbl` are used.
const EditRow kUpper[] = {
    {"az{`@AZ"sv, {}, {}, "AZ{`@AZ"sv, "AZ{`@AZ"sv},
    {"\x81\x61\x62"sv, {}, {}, "\x81\x41\x42"sv, "\x81\x61\x42"sv},
    {"\x81\x81z\x81"sv, {}, {}, "\x81\x81Z\x81"sv, "\x81\x81Z\x81"sv},
    {"\xE9\x61\0b"sv, {}, {}, "\xE9\x41\0B"sv, "\xE9\x61\0B"sv},
};

TEST(TextEdit, ReplaceAndUpperCaseWholeCharactersOnly) {
    for (const CodePage& cp : kPages) {
        for (const EditRow& r : kReplace) {
            EXPECT_EQ(replaceAll(r.text, r.from, r.to, cp), cp.isDoubleByte() ? r.dbl : r.single)
                << cp.id() << " replace row " << (&r - kReplace);
        }
        for (const EditRow& r : kUpper) {
            EXPECT_EQ(toUpperAscii(r.text, cp), cp.isDoubleByte() ? r.dbl : r.single)
                << cp.id() << " upper row " << (&r - kUpper);
        }
        EXPECT_TRUE(equalsNoCase("Key\0x"sv, "kEY\0X"sv, cp));
        EXPECT_FALSE(equalsNoCase("ab"sv, "abc"sv, cp));
        EXPECT_EQ(equalsNoCase("\x81\x61"sv, "\x81\x41"sv, cp), !cp.isDoubleByte()) << cp.id();
    }
}

// The in-place comparison and the reused buffer agree with upper-casing each
// text afresh, also where a trail byte in one text faces a letter in the other.
TEST(TextEdit, NoCaseComparisonAgreesWithUpperCasing) {
    const std::string_view texts[] = {"az{"sv,
                                      "AZ{"sv,
                                      "\x81\x61\x62"sv,
                                      "\x81\x41\x42"sv,
                                      "\x81\x61\x42"sv,
                                      "a\x81\x61"sv,
                                      "A\x81\x41"sv,
                                      "A\x81\x61"sv,
                                      "\x81\x81z\x81"sv,
                                      "\x81\x81Z\x81"sv,
                                      "ab\x81"sv,
                                      "AB\x81"sv,
                                      ""sv};
    for (const CodePage& cp : kPages) {
        std::string reused = "a longer text left from before";
        for (std::string_view x : texts) {
            toUpperAsciiInto(x, cp, reused);
            EXPECT_EQ(reused, toUpperAscii(x, cp)) << cp.id();
            for (std::string_view y : texts)
                EXPECT_EQ(equalsNoCase(x, y, cp), toUpperAscii(x, cp) == toUpperAscii(y, cp))
                    << cp.id() << " '" << x << "' '" << y << "'";
        }
    }
}

// The one halving of doubled backslashes, for path macros and the CD-ROM
// media's file names alike.
TEST(WindowsPath, DoubledBackslashesHalvedButANetworkPathsPair) {
    const CodePage western(1252), japanese(932);
    EXPECT_EQ(halveDoubledBackslashes("C:\\\\A\\\\\\B", western), "C:\\A\\\\B");
    EXPECT_EQ(halveDoubledBackslashes("\\\\SRV\\\\X", western), "\\\\SRV\\X");
    EXPECT_EQ(halveDoubledBackslashes("\\\\\\\\SRV", western), "\\\\\\SRV");
    EXPECT_EQ(halveDoubledBackslashes("\\", western), "\\");
    // 0x95 0x5C is one character in 932: its trail byte pairs with nothing.
    EXPECT_EQ(halveDoubledBackslashes("C:\\\x95\x5C\\X", japanese), "C:\\\x95\x5C\\X");
    EXPECT_EQ(halveDoubledBackslashes("C:\\\x95\x5C\\X", western), "C:\\\x95\\X");
}

TEST(TextTrim, OnlyCLocaleWhiteSpace) {
    EXPECT_EQ(trimAsciiSpaceLeft(" \t\n\v\f\rx y\r\n"sv), "x y\r\n"sv);
    EXPECT_EQ(trimAsciiSpaceRight(" \t\n\v\f\rx y\r\n"sv), " \t\n\v\f\rx y"sv);
    EXPECT_EQ(trimAsciiSpace(" \t "sv), ""sv);
    // NUL, no-break space, next-line and the DOS end-of-file mark (a blank
    // of INI lines only) are not white space here.
    EXPECT_EQ(trimAsciiSpace("\0 x\xA0\x85"sv), "\0 x\xA0\x85"sv);
    EXPECT_EQ(trimAsciiSpace("\x1A x \x1A"sv), "\x1A x \x1A"sv);
    EXPECT_EQ(untilNul("ab\0cd\0"sv), "ab"sv);
    EXPECT_EQ(untilNul("abc"sv), "abc"sv);
}

// Every text of up to three bytes drawn from the bytes that matter (0xA0 and
// 0xFE lead in some pages only), checked against a walk built on
// CodePage::charLength alone, with every start and width up to one past the end.
TEST(TextRobustness, ShortTextsAgreeWithCharacterWalk) {
    const std::string_view alphabet = "\0 [\\a\x81\xA0\xFE\xFF"sv;
    std::vector<std::string> texts{""};
    for (std::size_t i = 0; texts[i].size() < 3; ++i) {
        for (char c : alphabet) texts.push_back(texts[i] + c);
    }
    const std::string_view needles[] = {""sv, "["sv, "\x81"sv, "\x81["sv, "\0a"sv};
    for (const CodePage& cp : kPages) {
        for (const std::string& t : texts) {
            SCOPED_TRACE(testing::Message() << cp.id() << " text of " << t.size());
            std::vector<bool> bound(t.size() + 2, false);
            for (std::size_t p = 0; p < t.size(); p += cp.charLength(t.data(), t.size(), p)) {
                bound[p] = true;
            }
            bound[t.size()] = true;
            for (std::size_t p = 0; p <= t.size() + 1; ++p) {
                EXPECT_EQ(isCharBoundary(t, p, cp), bound[p]);
                const std::size_t cut = cutToWidth(t, p, cp).size();
                const std::size_t next =
                    cut < t.size() ? cut + cp.charLength(t.data(), t.size(), cut) : npos;
                EXPECT_TRUE(cut <= p && bound[cut] && next > p) << "cut to " << cut << " of " << p;
                for (std::string_view n : needles) {
                    std::size_t want = n.empty() && !bound[p] ? npos : p;
                    while (want <= t.size() && !(bound[want] && t.compare(want, n.size(), n) == 0 &&
                                                 bound[std::min(want + n.size(), t.size() + 1)])) {
                        ++want;
                    }
                    EXPECT_EQ(find(t, n, p, cp), want > t.size() ? npos : want);
                }
            }
            EXPECT_EQ(endsWithLoneLeadByte(t, cp),
                      !t.empty() && bound[t.size() - 1] &&
                          cp.isLeadByte(static_cast<unsigned char>(t.back())));
        }
    }
}

}  // namespace
}  // namespace mfg::test
