// Writing into a profile text the way WritePrivateProfileStringA edits the
// file on Windows.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "profile/profile_text.h"
#include "support/profile_cases.h"

namespace mfg::test {

using namespace profile;

namespace {

using namespace std::literals;
using profile_cases::hex;
using text::CodePage;

std::string lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

TEST(ProfileWrite, KnownEdits) {
    for (const profile_cases::WriteCase& c : profile_cases::kWrites) {
        SCOPED_TRACE(c.what);
        std::string text(c.before);
        for (const profile_cases::WriteCall& call : c.calls) {
            text = applyWrite(text, call.section, call.key, call.value, CodePage(c.codePage));
        }
        EXPECT_EQ(hex(text), hex(c.after));
    }
}

TEST(ProfileWrite, UnicodeTextIsLeftAlone) {
    const std::string text = "\xFF\xFE[\0S\0]\0\r\0\n\0K\0=\0V\0"s;
    EXPECT_EQ(applyWrite(text, "S", "K", "W", CodePage(1252)), text);
    EXPECT_EQ(applyWrite("\xFF\xFE", "S", "K", "W", CodePage(1252)), "\xFF\xFE");
}

// A file built by the writer alone is the plain rendering of what was
// written: sections and keys in the order they first appeared, spelled as
// they were first written, each with its last value, CR LF everywhere.
TEST(ProfileWrite, GeneratedFilesFromNothing) {
    std::mt19937 rng(31337);
    const char* const sections[] = {"Main", "MAIN", "Other", "x", "X", "Setup"};
    const char* const keys[] = {"a", "A", "Count", "COUNT", "k1", "name"};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> model;
        for (unsigned writes = 1 + rng() % 25; writes > 0; --writes) {
            const std::string section = sections[rng() % 6];
            const std::string key = keys[rng() % 6];
            const std::string value = std::to_string(rng() % 1000) + (rng() % 2 ? " v" : "");
            text = applyWrite(text, section, key, value, CodePage(1252));

            auto s = model.begin();
            while (s != model.end() && lower(s->first) != lower(section)) ++s;
            if (s == model.end()) s = model.insert(model.end(), {section, {}});
            auto k = s->second.begin();
            while (k != s->second.end() && lower(k->first) != lower(key)) ++k;
            if (k == s->second.end()) {
                s->second.emplace_back(key, value);
            } else {
                k->second = value;
            }
        }
        std::string want;
        for (const auto& [section, entries] : model) {
            want += "[" + section + "]\r\n";
            for (const auto& [key, value] : entries) want += key + "=" + value + "\r\n";
        }
        ASSERT_EQ(text, want) << "round " << round;
    }
}

// Any write into any text: the key then reads back as written, no other
// lookup changes its answer, and what the write removed from the old text lies
// within one line.
TEST(ProfileWrite, GeneratedEditsOfOddFiles) {
    std::mt19937 rng(4242);
    const std::vector<std::string> pieces = {
        "[S]", "[s]",  "[T]",  "[ S ]",   "[S",      "S]",    "K=1",  "k = 2 ",
        "K",   "L=3",  "=e",   ";c",      "#K=c",    "  ",    "\t",   "\x1A",
        "\0"s, "\x82", "\xE9", "[T\xE9]", "K\xE9=4", "\"q\"", "x=\"",
    };
    const std::vector<std::string> ends = {"\r\n", "\n", "\r", "\n\r", "\r\n\r\n", ""};
    const std::vector<std::pair<std::string, std::string>> lookups = {
        {"S", "K"}, {"S", "L"}, {"T", "K"}, {"T", "L"}, {"S", ""}, {"T\xE9", "A"}, {"S", "k"}};
    for (unsigned cp : {1252u, 932u}) {
        const CodePage page(cp);
        for (int round = 0; round < 1500; ++round) {
            std::string before;
            for (unsigned i = rng() % 9; i > 0; --i) {
                before += pieces[rng() % pieces.size()];
                if (rng() % 3) before += pieces[rng() % pieces.size()];
                before += ends[rng() % ends.size()];
            }
            const auto& [section, key] = lookups[rng() % 4];
            const std::string value = "v" + std::to_string(round);
            const std::string after = applyWrite(before, section, key, value, page);
            SCOPED_TRACE(testing::Message()
                         << "cp " << cp << " before " << hex(before) << " after " << hex(after));

            EXPECT_EQ(getString(after, section, key, "-", 260, page), value);
            for (const auto& [s, k] : lookups) {
                if (lower(s) == lower(section) && lower(k) == lower(key)) continue;
                EXPECT_EQ(getString(after, s, k, "-", 260, page),
                          getString(before, s, k, "-", 260, page))
                    << s << "/" << k;
            }

            std::size_t prefix = 0;
            while (prefix < before.size() && prefix < after.size() &&
                   before[prefix] == after[prefix]) {
                ++prefix;
            }
            std::size_t suffix = 0;
            while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
                   before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
                ++suffix;
            }
            const std::string removed = before.substr(prefix, before.size() - prefix - suffix);
            EXPECT_EQ(removed.find_first_of("\r\n"), std::string::npos) << hex(removed);
        }
    }
}

TEST(ProfileWrite, BadInputNeverBreaksTheWriter) {
    std::mt19937 rng(5);
    for (unsigned cp : {1252u, 932u, 936u, 949u, 950u}) {
        const CodePage page(cp);
        for (int round = 0; round < 300; ++round) {
            std::string before(rng() % 300, '\0');
            for (char& c : before) c = static_cast<char>(rng());
            if (before.size() >= 2 && before[0] == '\xFF' && before[1] == '\xFE') before[0] = 'x';
            const std::string after = applyWrite(before, "Sec", "Key", "Val", page);
            ASSERT_EQ(getString(after, "Sec", "Key", "-", 260, page), "Val") << hex(before);
        }
    }

    const std::string mega(1 << 20, 'm');
    const std::string big = applyWrite("", mega, mega, mega, CodePage(1252));
    EXPECT_EQ(big, "[" + mega + "]\r\n" + mega + "=" + mega + "\r\n");
    EXPECT_EQ(applyWrite(big, mega, mega, "v", CodePage(1252)),
              "[" + mega + "]\r\n" + mega + "=v\r\n");
}

TEST(ProfileWrite, HugeTexts) {
    constexpr std::size_t kHundredMegabytes = 100u << 20;
    std::string text(kHundredMegabytes, '\0');
    std::string after = applyWrite(text, "S", "K", "V", CodePage(1252));
    ASSERT_EQ(after.size(), text.size() + 12);
    EXPECT_EQ(after.compare(0, text.size(), text), 0);
    EXPECT_EQ(after.substr(text.size()), "\r\n[S]\r\nK=V\r\n");

    text = profile_cases::repeated("[S]\r\nfirst=1\r\n", "key=some value\r\n", kHundredMegabytes);
    after = applyWrite(text, "S", "new", "2", CodePage(1252));
    ASSERT_EQ(after.size(), text.size() + 7);
    EXPECT_EQ(after.compare(0, text.size(), text), 0);
    EXPECT_EQ(after.substr(text.size()), "new=2\r\n");
    after = applyWrite(text, "s", "FIRST", "0", CodePage(1252));
    EXPECT_EQ(after.substr(0, 16), "[S]\r\nfirst=0\r\nke");
    EXPECT_EQ(after.size(), text.size());
}

}  // namespace
}  // namespace mfg::test
