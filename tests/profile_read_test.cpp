// Reading a profile text the way GetPrivateProfileStringA reads the file.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "profile/profile_text.h"
#include "support/profile_cases.h"

namespace mfg::test {

using namespace profile;

namespace {

using namespace std::literals;
using profile_cases::hex;
using text::CodePage;

const std::string kDefault(profile_cases::kNotFound);

std::string read(std::string_view file, std::string_view section, std::string_view key,
                 unsigned codePage = 1252, std::size_t size = 260) {
    return getString(file, section, key, kDefault.c_str(), size, CodePage(codePage));
}

TEST(ProfileRead, KnownAnswers) {
    for (const profile_cases::ReadCase& c : profile_cases::kReads) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(hex(read(c.file, c.section, c.key, c.codePage)), hex(c.want));
    }
}

TEST(ProfileRead, BufferSizes) {
    for (const profile_cases::BufferCase& c : profile_cases::kBuffers) {
        SCOPED_TRACE(testing::Message()
                     << hex(c.value) << " size " << c.size << " cp " << c.codePage);
        const std::string file = "[S]\r\nK=" + std::string(c.value) + "\r\n";
        EXPECT_EQ(hex(read(file, "S", "K", c.codePage, c.size)), hex(c.want));
    }
    struct Long {
        char fill;
        std::size_t length;
        std::size_t want;
    };
    for (const Long& l : {Long{'x', 300, 259}, Long{'y', 259, 259}, Long{'z', 260, 259}}) {
        const std::string value(l.length, l.fill);
        EXPECT_EQ(read("[S]\r\nK=" + value, "S", "K"), value.substr(0, l.want));
    }
}

TEST(ProfileRead, DefaultHandling) {
    struct Row {
        const char* what;
        std::string_view file;
        const char* def;
        std::size_t size;
        std::string_view want;
    };
    const Row rows[] = {
        {"missing file", "", "D", 260, "D"},
        {"section missing", "[T]\r\nK=V", "D", 260, "D"},
        {"key missing", "[S]\r\nX=V", "D", 260, "D"},
        {"trailing blanks cut", "", "D  ", 260, "D"},
        {"trailing blanks cut, two words", "", "one two  ", 260, "one two"},
        {"leading blanks kept", "", "  D", 260, "  D"},
        {"quotes stripped", "", "\"D\"", 260, "D"},
        {"null default", "", nullptr, 260, ""},
        {"cut to the buffer", "", "default", 4, "def"},
        {"buffer of one", "", "default", 1, ""},
        {"buffer of none", "", "default", 0, ""},
        {"found empty beats default", "[S]\r\nK=", "D", 260, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(getString(r.file, "S", "K", r.def, r.size, CodePage(1252)), r.want);
    }
}

// Names match whatever the case of their ASCII letters and whatever blanks
// surround the caller's arguments; any other byte must be equal.
TEST(ProfileRead, GeneratedNameMatching) {
    std::mt19937 rng(20240611);
    const std::string alphabet = "abcXYZ09_.-\xE9\xC4\x81\x8D";
    const std::string blanks = " \t\x0B\x0C\x1A";
    auto pick = [&](const std::string& from) { return from[rng() % from.size()]; };
    for (int round = 0; round < 500; ++round) {
        std::string section, key, value;
        for (unsigned i = 1 + rng() % 8; i > 0; --i) section += pick(alphabet);
        for (unsigned i = 1 + rng() % 8; i > 0; --i) key += pick(alphabet);
        for (unsigned i = 1 + rng() % 8; i > 0; --i) value += pick(alphabet);
        const std::string file =
            "[T]\r\n" + key + "=x\r\n[" + section + "]\r\n" + key + "=" + value + "\r\n";
        auto variant = [&](std::string name) {
            for (char& c : name) {
                if ((c >= 'a' && c <= 'z' && rng() % 2) || (c >= 'A' && c <= 'Z' && rng() % 2)) {
                    c = static_cast<char>(c ^ 0x20);
                }
            }
            if (rng() % 2) name = std::string(1, pick(blanks)) + name;
            if (rng() % 2) name += pick(blanks);
            return name;
        };
        SCOPED_TRACE(hex(file));
        EXPECT_EQ(read(file, variant(section), variant(key)), value);

        // Changing one byte that is not an ASCII letter loses the match.
        std::string other = section;
        const std::size_t at = rng() % other.size();
        if ((other[at] | 0x20) >= 'a' && (other[at] | 0x20) <= 'z') continue;
        other[at] = other[at] == '\xE9' ? '\xC9' : '\xE9';
        EXPECT_EQ(read(file, other, key), kDefault);
    }
}

// A cut answer is the longest run of whole characters that fits the buffer.
TEST(ProfileRead, GeneratedCutsKeepWholeCharacters) {
    std::mt19937 rng(7);
    for (unsigned cp : {932u, 936u, 949u, 950u}) {
        const CodePage page(cp);
        for (int round = 0; round < 200; ++round) {
            std::vector<std::string> chars;
            std::string value;
            for (unsigned i = 1 + rng() % 12; i > 0; --i) {
                std::string ch;
                if (rng() % 2) {
                    ch = std::string(1, static_cast<char>('a' + rng() % 26));
                } else {
                    ch += static_cast<char>(0x81 + rng() % 0x1F);  // lead in every page
                    ch += static_cast<char>(0x41 + rng() % 0x3E);
                }
                chars.push_back(ch);
                value += ch;
            }
            const std::string file = "[S]\r\nK=" + value;
            for (std::size_t size = 1; size <= value.size() + 1; ++size) {
                std::string want;
                for (const std::string& ch : chars) {
                    if (want.size() + ch.size() > size - 1) break;
                    want += ch;
                }
                ASSERT_EQ(hex(read(file, "S", "K", cp, size)), hex(want))
                    << "cp " << cp << " size " << size;
            }
        }
    }
}

// Double-byte text that breaks the rules of its code page is read without
// harm, and a line end after a lead byte still ends the line.
TEST(ProfileRead, BrokenDoubleByteText) {
    struct Row {
        std::string_view file, key, want;
    };
    const Row rows[] = {
        {"[S]\r\nK=\x82"sv, "K", "\x82"},
        {"[S]\r\nK=\x82\r\nL=2"sv, "L", "2"},
        {"[S]\r\nK=a\x82\r\nL=2"sv, "K", "a\x82"},
        {"[S]\r\nK=\x82\0\r\nL=2"sv, "K", "\x82"},
        {"[S]\r\nK=\xE9\xFF"sv, "K", "\xE9\xFF"},
        {"[S]\r\nK=\x82 "sv, "K", "\x82 "},  // a blank after a lead byte is its trail byte
        {"[S\x82]\r\nK=V"sv, "K", kDefault},
        {"[S]\r\n\x82"sv, "K", kDefault},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(hex(r.file));
        EXPECT_EQ(hex(read(r.file, "S", r.key, 932)), hex(r.want));
    }
}

// The single-byte and the double-byte scans of a line agree on ASCII text.
TEST(ProfileRead, AsciiReadsAlikeInEveryCodePage) {
    std::mt19937 rng(11);
    const std::string pieces[] = {"[S]", "[ s ]x", "[S",    "]",     "K=1",  " k = 2 ", "=e", "K",
                                  ";c",  "\t",     "[a]b]", "\"q\"", "x=\"", "'y'",     "  "};
    const std::string ends[] = {"\r\n", "\n", "\r", ""};
    const std::string lookups[][2] = {{"S", "K"}, {"a]b", "K"}, {"S", ""}, {"S", ";c"}, {"s", "x"}};
    for (int round = 0; round < 400; ++round) {
        std::string file;
        for (unsigned i = rng() % 8; i > 0; --i) {
            file += pieces[rng() % 15];
            if (rng() % 2) file += pieces[rng() % 15];
            file += ends[rng() % 4];
        }
        SCOPED_TRACE(hex(file));
        for (const auto& lookup : lookups) {
            const std::size_t size = 1 + rng() % 6;
            const std::string single = read(file, lookup[0], lookup[1], 1252, size);
            for (unsigned cp : {932u, 936u, 949u, 950u}) {
                EXPECT_EQ(read(file, lookup[0], lookup[1], cp, size), single);
            }
            EXPECT_EQ(applyWrite(file, lookup[0], lookup[1], "v", CodePage(932)),
                      applyWrite(file, lookup[0], lookup[1], "v", CodePage(1252)));
        }
    }
}

TEST(ProfileRead, BadInputNeverBreaksTheReader) {
    std::mt19937 rng(99);
    // Random bytes, and random bytes built from the characters that matter.
    const std::string meaningful = "[]=;\"' \t\r\n\x1A\0\x81\x82\xE9\xFF\xFE"s;
    for (unsigned cp : {1252u, 932u, 936u, 949u, 950u}) {
        for (int round = 0; round < 300; ++round) {
            std::string file(rng() % 400, '\0');
            for (char& c : file) {
                c = round % 2 ? static_cast<char>(rng()) : meaningful[rng() % meaningful.size()];
            }
            if (round % 7 == 0) file.insert(0, "\xFF\xFE");
            for (std::size_t size : {0u, 1u, 2u, 3u, 260u}) {
                const std::string got =
                    getString(file, "[", "\x82", round % 3 ? "d" : nullptr, size, CodePage(cp));
                EXPECT_LE(got.size(), size == 0 ? 0 : size - 1);
            }
        }
    }

    // A long line, a long name, a long value.
    const std::string mega(1 << 20, 'n');
    EXPECT_EQ(read("[" + mega + "]\r\n" + mega + "=v\r\n", mega, mega), "v");
    EXPECT_EQ(read("[S]\r\nK=" + mega, "S", "K", 1252, mega.size() + 1), mega);
    EXPECT_EQ(read("[S]\r\nK=" + mega, "S", "K"), mega.substr(0, 259));
    EXPECT_EQ(read(std::string(1 << 20, '\0'), "S", "K"), kDefault);
}

// A reader indexes a section once and asks for many keys: every answer must
// be the one a walk of the text by section name gives, for any bytes, and an
// index made again for the next section must forget the last one.
TEST(ProfileRead, SectionIndexAnswersAsTheTextWalk) {
    std::mt19937 rng(7);
    const std::string alphabet = "[]=;\"' \t\r\n\x1A\0\x81\x82\xE9Kk"s;
    const std::string keys[] = {"K",    " k ",   "k\0x", "K \0"s, "k\t",
                                "\x82", "\x81K", "",     "=",     "[S]"};
    for (unsigned cp : {1252u, 932u, 936u}) {
        SectionKeys index{CodePage(cp)};
        for (int round = 0; round < 400; ++round) {
            std::string section = "[S]\r\n";
            for (int i = rng() % 80; i > 0; --i) section += alphabet[rng() % alphabet.size()];
            index.index(section);
            for (const std::string& key : keys) {
                for (std::size_t size : {0u, 2u, 5u, 260u}) {
                    SCOPED_TRACE(testing::Message() << "cp " << cp << " " << hex(section) << " key "
                                                    << hex(key) << " size " << size);
                    EXPECT_EQ(hex(index.get(key, "d", size)),
                              hex(getString(section, "S", key, "d", size, CodePage(cp))));
                }
            }
        }
    }
}

// Line shapes a single-byte index reads in its own pass, each against the
// walk: keys after a second header, a key line that begins with '[', blanks
// (the EOF mark among them) around names and values, lone CR and LF, a NUL
// in a name, a '=' before any name, lines without '=', keys before any header.
TEST(ProfileRead, SectionIndexLineShapes) {
    const std::string texts[] = {
        "[S]\r\nA=1\r\n[T]\r\nB=2\r\n"s,
        "[S]\r\n[A=1\r\n [B] = 2\r\nB=3\r\n"s,
        "[S]\n \t A \x1A= \x1A 1 \x1A\r\rB=\r\n\r\n  \r\nC\r\n"s,
        "[S]\r\nA\0x=1\r\n=2\r\nno equals here\r\nA=3"s,
        "A=0\r\n[S]\r\nA=1\r\na=2\r\n"s,
        "  [S]  \r\n;A=1\r\nA==2=\r\n"s,
    };
    SectionKeys index{CodePage(1252)};
    for (const std::string& text : texts) {
        index.index(text);
        for (std::string_view key : {"A", "a", "B", "C", "", ";A", "[A", "[B]"}) {
            SCOPED_TRACE(testing::Message() << hex(text) << " key " << key);
            EXPECT_EQ(hex(index.get(key, "d", 260)),
                      hex(getString(text, "S", key, "d", 260, CodePage(1252))));
        }
    }
}

TEST(ProfileRead, HugeTexts) {
    constexpr std::size_t kHundredMegabytes = 100u << 20;
    std::string file = profile_cases::repeated("[S]\r\n", "key=some value\r\n", kHundredMegabytes);
    file += "[T]\r\nlast=found\r\n";
    EXPECT_EQ(read(file, "T", "last"), "found");
    EXPECT_EQ(read(file, "S", "key"), "some value");

    file.assign(kHundredMegabytes, '\0');
    EXPECT_EQ(read(file, "S", "K"), kDefault);
    file.replace(0, 9, "[S]\r\nK=V\0"sv);
    EXPECT_EQ(read(file, "S", "K"), "V");
}

}  // namespace
}  // namespace mfg::test
