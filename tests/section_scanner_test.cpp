// Cutting sections out of a byte stream: where sections start and end, what
// their text keeps, and that the answer never depends on how the input is cut
// into reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "profile/profile_text.h"
#include "reader/section_scanner.h"

namespace mfg::test {

using namespace reader;

namespace {

using namespace std::string_literals;

struct Cut {
    std::string text;
    std::uint64_t position;
    bool operator==(const Cut& o) const { return text == o.text && position == o.position; }
};
void PrintTo(const Cut& c, std::ostream* os) {
    *os << ::testing::PrintToString(c.text) << "@" << c.position;
}

// Every section of `input`, read `chunk` bytes at a time; `reads` counts the
// calls of the source.
std::vector<Cut> scan(const std::string& input, std::size_t chunk, unsigned cp = 1252,
                      std::size_t* reads = nullptr) {
    std::size_t at = 0;
    SectionScanner scanner(
        [&](char* buffer, std::size_t size, std::size_t& got) {
            if (reads) ++*reads;
            got = std::min(size, input.size() - at);
            std::copy_n(input.data() + at, got, buffer);
            at += got;
            return true;
        },
        text::CodePage(cp), chunk);
    std::vector<Cut> cuts;
    std::string text;
    while (scanner.next(text)) cuts.push_back({text, scanner.position()});
    EXPECT_EQ(scanner.position(), input.size());
    EXPECT_FALSE(scanner.next(text));  // the end stays the end
    return cuts;
}

struct Case {
    const char* what;
    std::string input;
    std::vector<Cut> sections;
    unsigned cp = 1252;
};

TEST(ReaderScanner, SectionsAreCutAtHeaderLinesOnly) {
    const Case cases[] = {
        {"four-line file",
         "[A]\r\nK=1\r\n[B]\r\nK=2\r\n",
         {{"[A]\r\nK=1\r\n", 10}, {"[B]\r\nK=2", 20}}},
        {"empty", "", {}},
        {"text before the first header", "K=0\r\n[x\r\n[A]\r\nK=1", {{"[A]\r\nK=1", 17}}},
        {"blank lines and blanks before a header",
         "[A]\r\n\r\n \t\x1A[B] ; c\n",
         {{"[A]\r\n\r\n", 10}, {"[B] ; c", 18}}},
        {"CR or LF alone", "[A]\rK=1\r[B]\nK=2", {{"[A]\rK=1\r", 8}, {"[B]\nK=2", 15}}},
        {"empty header name", "[]\nK", {{"[]\nK", 4}}},
        {"header at the very end", "[A]\r\n[B", {{"[A]\r\n[B", 7}}},
        {"NUL ends the section text",
         "[A]\r\nK=1\0x\r\n[N\0]\r\nL\r\n[B]\0y"s,
         {{"[A]\r\nK=1", 12}, {"[N", 21}, {"[B]", 26}}},
        {"NUL before the first header", "\0[A]\r\n\0\r\n[B]"s, {{"[B]", 12}}},
        {"trail bytes are no brackets",
         "[A]\r\n\x81[B]\r\n[\x81]\r\n[\x81]]\r\n[C\x81\r\n]",
         {{"[A]\r\n\x81[B]\r\n[\x81]\r\n", 16}, {"[\x81]]\r\n[C\x81\r\n]", 28}},
         932},
        {"same bytes in a single-byte page",
         "[A]\r\n\x81[B]\r\n[\x81]\r\n",
         {{"[A]\r\n\x81[B]\r\n", 11}, {"[\x81]", 16}}},
        {"lead byte before a line end", "[A\x81\n]\n[B]", {{"[B]", 9}}, 932},
        {"the last section loses its trailing white space",
         "[A]\nK=1 \t\r\n\x0B\f",
         {{"[A]\nK=1", 13}}},
        {"but not a blank that is a trail byte",
         "[A]\nK=\x82\t \r\n",
         {{"[A]\nK=\x82\t", 11}},
         932},
        {"and a line end is never one", "[A]\nK=\x82\r\n", {{"[A]\nK=\x82", 9}}, 932},
        {"a lead byte taken as a trail leads nothing",
         "[A]\nK=\x82\x82\t",
         {{"[A]\nK=\x82\x82", 9}},
         932},
        {"lines longer than a word: a tab, CR LF, a lone LF and a NUL inside one",
         "[A]\r\nK=abcdefg\thijklmnopq\r\nL=0123456789abcdef\nM=x\r\n"
         "[B]\r\nK=0123456789\0abcdefghijk\r\nL=1\r\n[C]"s,
         {{"[A]\r\nK=abcdefg\thijklmnopq\r\nL=0123456789abcdef\nM=x\r\n", 51},
          {"[B]\r\nK=0123456789", 87},
          {"[C]", 90}}},
    };
    for (const Case& c : cases) {
        for (std::size_t chunk : {1, 2, 3, 7, 65536}) {
            SCOPED_TRACE(std::string(c.what) + ", chunk " + std::to_string(chunk));
            EXPECT_EQ(scan(c.input, chunk, c.cp), c.sections);
        }
    }
}

// The header line of each section, as an editor numbers lines, whatever the
// reads' size: a CR LF pair split between two reads is still one line end.
TEST(ReaderScanner, SectionsKnowTheLineOfTheirHeader) {
    const struct {
        const char* what;
        std::string input;
        std::vector<std::uint64_t> lines;
    } cases[] = {
        {"CR LF", "[A]\r\nK=1\r\n\r\n[B]\r\n[C]", {1, 4, 5}},
        {"LF, CR and CR LF mixed", "\n[A]\rK\r\n\n\r[B]\n\r\n[C]", {2, 6, 8}},
        {"LF CR is two line ends", "K\n\r[A]", {3}},
        {"text and a false header before the first", "x\r\n[no\r\n  [A]", {3}},
        {"lines after a NUL still count", "[A]\0\r\n\r\n[B]"s, {1, 3}},
        {"blanks before the bracket", "[A]\r\n \t[B]", {1, 2}},
    };
    for (const auto& c : cases) {
        for (std::size_t chunk : {1, 2, 5, 65536}) {
            SCOPED_TRACE(std::string(c.what) + ", chunk " + std::to_string(chunk));
            std::size_t at = 0;
            SectionScanner scanner(
                [&](char* buffer, std::size_t size, std::size_t& got) {
                    got = std::min(size, c.input.size() - at);
                    std::copy_n(c.input.data() + at, got, buffer);
                    at += got;
                    return true;
                },
                text::CodePage(1252), chunk);
            std::vector<std::uint64_t> lines;
            std::string text;
            while (scanner.next(text)) lines.push_back(scanner.sectionLine());
            EXPECT_EQ(lines, c.lines);
        }
    }
}

TEST(ReaderScanner, InputIsReadOnceInLargeChunks) {
    std::string input;
    for (int i = 0; i < 100000; ++i) input += "[S" + std::to_string(i) + "]\r\nK=1\r\n";
    std::size_t reads = 0;
    EXPECT_EQ(scan(input, SectionScanner::kDefaultChunkSize, 1252, &reads).size(), 100000u);
    const std::size_t chunk = SectionScanner::kDefaultChunkSize;
    EXPECT_EQ(reads, (input.size() + chunk - 1) / chunk + 1);  // and the one that finds the end
}

TEST(ReaderScanner, AReadErrorEndsTheWalk) {
    int calls = 0;
    SectionScanner scanner(
        [&](char* buffer, std::size_t, std::size_t& got) {
            if (++calls > 1) return false;
            const std::string first = "[A]\r\n[B]\r\nK=";
            std::copy(first.begin(), first.end(), buffer);
            got = first.size();
            return true;
        },
        text::CodePage(1252), 64);
    std::string text;
    ASSERT_TRUE(scanner.next(text));
    EXPECT_EQ(text, "[A]\r\n");
    EXPECT_FALSE(scanner.next(text));  // B was cut short by the error: not given
    EXPECT_EQ(text, "");
    EXPECT_FALSE(scanner.next(text));
}

// A NUL in a value ends its section's text there for the walk, which then
// trims the blanks before it as a line's end; the settings lookup trims the
// whole line's end, cuts the value at the NUL and keeps them, and reads on
// past the NUL.  (Found by the section-scanner fuzz target; its seed is
// nul-after-blank-in-value.)
TEST(ReaderScanner, BlanksBeforeANulInAValueAreTrimmedByTheWalkOnly) {
    const std::string file = "[S]\r\nNAME=Di\x1A\0splay\r\nK=1\r\n"s;
    const text::CodePage cp(1252);
    const std::vector<Cut> sections = scan(file, 5);
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_EQ(sections[0].text, "[S]\r\nNAME=Di\x1A");
    EXPECT_EQ(profile::getSectionString(sections[0].text, "NAME", "", 300, cp), "Di");
    EXPECT_EQ(profile::getSectionString(sections[0].text, "K", "", 300, cp), "");
    EXPECT_EQ(profile::getString(file, "S", "NAME", "", 300, cp), "Di\x1A");
    EXPECT_EQ(profile::getString(file, "S", "K", "", 300, cp), "1");
}

}  // namespace
}  // namespace mfg::test
