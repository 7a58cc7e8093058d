// A profile document must give exactly the bytes of applying its writes one
// by one to the text, however odd the text and the writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "profile/document.h"
#include "profile/profile_file.h"
#include "profile/profile_syntax.h"
#include "profile/profile_text.h"
#include "support/machine.h"
#include "support/profile_calls.h"
#include "support/profile_cases.h"

namespace mfg::test {

using namespace profile;

namespace {

using namespace std::literals;
using profile_cases::hex;
using text::CodePage;

TEST(ProfileDocument, KnownEdits) {
    for (const profile_cases::WriteCase& c : profile_cases::kWrites) {
        SCOPED_TRACE(c.what);
        Document doc{std::string(c.before), CodePage(c.codePage)};
        for (const profile_cases::WriteCall& call : c.calls) {
            EXPECT_TRUE(doc.write(call.section, call.key, call.value));
        }
        EXPECT_EQ(hex(doc.bytes()), hex(c.after));
    }
}

// Texts to start from: the files of the known cases, and files made of the
// pieces that make lines odd.
std::string oddText(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {
        "[S]",  "[s]",  "[T]",     "[ S ]",   "[S",    "S]",    "[]",      "K=1",    "k = 2 ",
        "K",    "L=3",  "=e",      ";c",      "#K=c",  "  ",    "\t",      "\x1A",   "\0"s,
        "\x82", "\xE9", "[T\xE9]", "K\xE9=4", "[x]=y", "\"q\"", "[S]junk", "[Se]c]",
    };
    static const std::vector<std::string> ends = {"\r\n",     "\n", "\r",        "\n\r",
                                                  "\r\n\r\n", "",   "\r\n  \r\n"};
    if (rng() % 4 == 0) {
        const auto& c = profile_cases::kWrites[rng() % profile_cases::kWrites.size()];
        return std::string(c.before);
    }
    std::string text;
    for (unsigned i = rng() % 10; i > 0; --i) {
        text += pieces[rng() % pieces.size()];
        if (rng() % 3 == 0) text += pieces[rng() % pieces.size()];
        text += ends[rng() % ends.size()];
    }
    return text;
}

// Arguments that stay on one line and ones that change the shape of the
// file: line ends, header-looking keys, ']' in values, lead bytes.
const std::vector<std::string> kSections = {
    "S",   "s", " S ",      "T",        "t\t",  "New", "NEW",    "x",     "T\xE9",
    "a]b", "",  "S\0junk"s, "\x83\x5D", "Se]c", "[S",  "N\r\nX", "x]\xE9"};
const std::vector<std::string> kKeys = {"K",  "k",   " K ",   "L",  "M",     "",         "[x]",
                                        "[y", "a=b", "K\xE9", ";c", "K\0z"s, "\x82\xA0", "n\nm"};
const std::vector<std::string> kValues = {
    "1",    "",     "  padded  ", "\"q\"", "x]", "]",   "a\r\nK=dup", "v\r\n[S]\r\nK=w",
    "\x82", "\xE9", "val\0cut"s,  "=",     "\r", "[z]", "last",       " \0\r\nK=after"s};

TEST(ProfileDocument, GeneratedWritesMatchTextWrites) {
    const auto& sections = kSections;
    const auto& keys = kKeys;
    const auto& values = kValues;
    std::mt19937 rng(1234567);
    auto some = [&rng](const std::vector<std::string>& from, std::size_t count) {
        std::vector<std::string> chosen;
        while (chosen.size() < count) chosen.push_back(from[rng() % from.size()]);
        return chosen;
    };
    for (unsigned cp : {1252u, 932u}) {
        for (int round = 0; round < 3000; ++round) {
            const std::string start = oddText(rng);
            Document doc(start, CodePage(cp));
            std::string text = start;
            std::string calls;
            // A few names and values per round, so that odd ones meet again.
            const auto roundSections = some(sections, 3);
            const auto roundKeys = some(keys, 3);
            const auto roundValues = some(values, 4);
            for (unsigned writes = 1 + rng() % 20; writes > 0; --writes) {
                const std::string& section = roundSections[rng() % 3];
                const std::string& key = roundKeys[rng() % 3];
                const std::string& value = roundValues[rng() % 4];
                calls += hex(section) + "/" + hex(key) + "=" + hex(value) + "; ";
                doc.write(section, key, value);
                text = applyWrite(text, section, key, value, CodePage(cp));
                ASSERT_EQ(hex(doc.bytes()), hex(text))
                    << "cp " << cp << " start " << hex(start) << " calls " << calls;
            }
        }
    }
}

// The keys of a section given together (new sections are then added in one
// piece) leave the bytes of the same writes made one by one, and later
// writes find those keys.
TEST(ProfileDocument, KeysGivenTogetherMatchTextWrites) {
    std::mt19937 rng(7654321);
    const auto pick = [&rng](const std::vector<std::string>& from) -> const std::string& {
        // Plain names most of the time, so that most sections go in whole.
        return from[rng() % 3 == 0 ? rng() % from.size() : rng() % 5];
    };
    for (unsigned cp : {1252u, 932u}) {
        for (int round = 0; round < 1500; ++round) {
            const std::string start = oddText(rng);
            Document doc(start, CodePage(cp));
            std::string text = start;
            std::string calls;
            for (unsigned batches = 1 + rng() % 6; batches > 0; --batches) {
                const std::string& section = pick(kSections);
                std::vector<Document::KeyValue> batch;
                for (unsigned n = rng() % 8; n > 0; --n) {
                    const std::string& key = pick(kKeys);
                    const std::string& value = pick(kValues);
                    batch.push_back({key, value});
                    calls += hex(section) + "/" + hex(key) + "=" + hex(value) + "; ";
                    text = applyWrite(text, section, key, value, CodePage(cp));
                }
                calls += "| ";
                EXPECT_TRUE(doc.writeKeys(section, batch));
                ASSERT_EQ(hex(doc.bytes()), hex(text))
                    << "cp " << cp << " start " << hex(start) << " calls " << calls;
            }
        }
    }
}

// A list written over the list an earlier run left: the old sections are
// walked as their keys come, and whatever shape the old list has (sections
// in another order, keys missing, in another order, spelled or spaced
// otherwise, given twice, keys and lines this run does not write, sections
// beyond the new count), the bytes are those of the writes one by one.
TEST(ProfileDocument, ListWrittenOverAnOldListMatchesTextWrites) {
    const std::vector<std::string> keys = {"GROUP", "NAME", "ID", "HARDID", "EXEPATH", "TYPE"};
    std::mt19937 rng(2468);
    // One old key line of `key`, as runs, editors and hosts leave them.
    const auto oldLine = [&rng](const std::string& key) {
        static const std::vector<std::string> spellings = {"", "", "", "lower", "  ", "blank="};
        const std::string& how = spellings[rng() % spellings.size()];
        std::string name = key;
        if (how == "lower")
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (how == "  ") name = "  " + name + " ";
        return name + (how == "blank=" ? " = old " : "=old" + std::to_string(rng() % 10));
    };
    for (unsigned cp : {1252u, 932u}) {
        for (int round = 0; round < 400; ++round) {
            const int written = 1 + static_cast<int>(rng() % 5);
            const int held = static_cast<int>(rng() % 12);
            // The old list: SYSTEM and sections "0" to held - 1, in a
            // shuffled order now and then.
            std::vector<std::string> sections = {"SYSTEM"};
            for (int i = 0; i < held; ++i) sections.push_back(std::to_string(i));
            if (rng() % 3 == 0) std::shuffle(sections.begin(), sections.end(), rng);
            std::string start = rng() % 4 == 0 ? "; list\r\n" : "";
            for (const std::string& name : sections) {
                start += "[" + name + "]\r\n";
                std::vector<std::string> lines;
                for (const std::string& key : keys) {
                    if (rng() % 8 == 0) continue;  // missing
                    lines.push_back(oldLine(key));
                    if (rng() % 10 == 0) lines.push_back(oldLine(key));  // twice
                }
                if (rng() % 3 == 0) lines.push_back("INSTALLED=1");  // the host's own
                if (rng() % 4 == 0) lines.push_back("HARDIDS=2");    // a longer name
                if (rng() % 6 == 0) lines.push_back(";comment=x");
                if (rng() % 6 == 0) lines.push_back("no equals");
                if (rng() % 5 == 0) std::shuffle(lines.begin(), lines.end(), rng);
                for (const std::string& line : lines) start += line + "\r\n";
                if (rng() % 5 == 0) start += "\r\n";
            }
            if (!start.empty() && rng() % 6 == 0)
                start.resize(start.size() - 2);  // no last line end

            Document doc(start, CodePage(cp));
            std::string text = start;
            std::string calls;
            const auto put = [&](const std::string& section,
                                 const std::vector<std::pair<std::string, std::string>>& pairs) {
                std::vector<Document::KeyValue> batch;
                for (const auto& [key, value] : pairs) {
                    batch.push_back({key, value});
                    text = applyWrite(text, section, key, value, CodePage(cp));
                    calls += section + "/" + key + "=" + value + "; ";
                }
                EXPECT_TRUE(doc.writeKeys(section, batch));
            };
            put("SYSTEM", {{"INDEX", "0"}, {"COUNT", "0"}, {"INSTALLSTATUS", "0"}});
            for (int i = 0; i < written; ++i) {
                std::vector<std::pair<std::string, std::string>> pairs;
                for (const std::string& key : keys) {
                    pairs.emplace_back(key, "v" + std::to_string(i) + key);
                    // NAME again at once (an entry shown by its package name).
                    if (key == "NAME" && rng() % 3 == 0) pairs.emplace_back(key, "again");
                }
                if (rng() % 5 == 0) std::swap(pairs[1], pairs[3]);
                if (rng() % 7 == 0) pairs.emplace_back("GROUP", "later");
                put(std::to_string(i), pairs);
                put("SYSTEM", {{"COUNT", std::to_string(i + 1)}});
            }
            ASSERT_EQ(hex(doc.bytes()), hex(text))
                << "cp " << cp << " start " << hex(start) << " calls " << calls;
        }
    }
}

// The line-end and NUL searches read eight bytes at a time: a CR, LF or NUL
// is found at every place of a word and of the bytes after the last whole
// word, among bytes just above and below it and with the high bit set.
TEST(ProfileSyntax, LineEndAndNulFoundAtEveryPlace) {
    const std::size_t none = std::string_view::npos;
    for (const char filler : {'\x0E', '\x0C', '\x0B', '\0', 'a', '\x7F', '\x80', '\x8D', '\xFF'}) {
        for (std::size_t size = 0; size <= 25; ++size) {
            const std::string plain(size, filler);
            const std::size_t firstNul = filler == '\0' && size > 0 ? 0 : none;
            EXPECT_EQ(syntax::findLineEnd(plain), none) << size;
            EXPECT_EQ(syntax::findNulOrLineEnd(plain), firstNul) << size;
            for (std::size_t at = 0; at < size; ++at) {
                for (const char stop : {'\r', '\n', '\0'}) {
                    std::string text = plain;
                    text[at] = stop;
                    if (at + 1 < size) text[size - 1] = '\n';  // a later one too
                    const std::string where = "filler " + std::to_string(int(filler)) + " size " +
                                              std::to_string(size) + " at " + std::to_string(at);
                    if (stop != '\0') {
                        EXPECT_EQ(syntax::findLineEnd(text), at) << where;
                    }
                    EXPECT_EQ(syntax::findNulOrLineEnd(text), std::min(at, firstNul)) << where;
                }
            }
        }
    }
}

// A key whose line reads back under another name, given with that name in
// the same new section: the section goes in key by key, so the second write
// replaces the first as the writes one by one do.
TEST(ProfileDocument, KeysReadBackUnderAnotherNameAreWrittenOneByOne) {
    const std::vector<std::vector<Document::KeyValue>> batches = {
        {{"a=b", "1"}, {"a", "2"}},
        {{"K\0z"sv, "1"}, {"K", "2"}},
    };
    for (const auto& batch : batches) {
        Document doc("", CodePage(1252));
        std::string text;
        for (const Document::KeyValue& k : batch)
            text = applyWrite(text, "S", k.key, k.value, CodePage(1252));
        EXPECT_TRUE(doc.writeKeys("S", batch));
        EXPECT_EQ(hex(doc.bytes()), hex(text)) << hex(std::string(batch[0].key));
    }
}

// Writes that come back to sections they left, small ones (whose key index
// is let go and found again) and one past the size whose index is kept, and
// that rewrite added values with longer and shorter ones.
TEST(ProfileDocument, WritesReturningToSectionsMatchTextWrites) {
    std::mt19937 rng(42);
    const std::string start = "[Big]\r\nK0=loaded\r\n\r\n[Small]\r\nK1=x\r\n";
    Document doc(start, CodePage(1252));
    std::string text = start;
    const char* const sections[] = {"Big", "Small", "E1", "E2", "e1"};
    for (int write = 0; write < 3000; ++write) {
        const std::string section = sections[rng() % 5];
        const int keys = section == "Big" ? 150 : 6;
        const std::string key = "K" + std::to_string(rng() % keys);
        const std::string value(rng() % 12, static_cast<char>('a' + write % 26));
        doc.write(section, key, value);
        text = applyWrite(text, section, key, value, CodePage(1252));
        if (write % 100 == 0) {
            ASSERT_EQ(doc.bytes(), text) << "after write " << write;
        }
    }
    EXPECT_EQ(doc.bytes(), text);
}

TEST(ProfileDocument, UnicodeTextRefusesWrites) {
    const std::string text = "\xFF\xFE[\0S\0]\0\r\0\n\0K\0=\0V\0"s;
    Document doc(text, CodePage(1252));
    EXPECT_TRUE(doc.unicode());
    EXPECT_FALSE(doc.writesRefused());
    EXPECT_FALSE(doc.write("S", "K", "W"));
    EXPECT_TRUE(doc.writesRefused());
    EXPECT_EQ(doc.bytes(), text);
}

TEST(ProfileDocument, Emptiness) {
    EXPECT_TRUE(Document().empty());
    EXPECT_FALSE(Document("\r\n", CodePage(1252)).empty());
    Document doc;
    doc.write("S", "K", "");
    EXPECT_FALSE(doc.empty());
    EXPECT_EQ(doc.bytes(), "[S]\r\nK=\r\n");
}

// The list file: many sections of many keys, counters rewritten as it grows.
TEST(ProfileDocument, HundredThousandWrites) {
    Document doc("; list\r\n[SYSTEM]\r\nCOUNT=0\r\n\r\n", CodePage(1252));
    std::string want = "; list\r\n[SYSTEM]\r\nCOUNT=1000\r\n";
    std::string sections;
    for (int s = 0; s < 1000; ++s) {
        const std::string name = "ITEM" + std::to_string(s);
        sections += "[" + name + "]\r\n";
        for (int k = 0; k < 99; ++k) {
            const std::string key = "KEY" + std::to_string(k);
            doc.write(name, key, "old");
            doc.write(name, key, "value " + std::to_string(s * 100 + k));
            sections += key + "=value " + std::to_string(s * 100 + k) + "\r\n";
        }
        doc.write("system", "count", std::to_string(s + 1));
    }
    want += "\r\n" + sections;
    EXPECT_EQ(doc.bytes(), want);
}

TEST(ProfileDocument, HugeTexts) {
    constexpr std::size_t kHundredMegabytes = 100u << 20;
    {
        Document doc(std::string(kHundredMegabytes, '\0'), CodePage(1252));
        doc.write("S", "K", "V");
        const std::string bytes = doc.bytes();
        ASSERT_EQ(bytes.size(), kHundredMegabytes + 12);
        EXPECT_EQ(bytes.find_first_not_of('\0'), kHundredMegabytes);
        EXPECT_EQ(bytes.substr(kHundredMegabytes), "\r\n[S]\r\nK=V\r\n");
    }
    {
        // One section of ten megabytes of keys: the first write into it
        // indexes them, the later ones do not look at them again.
        std::string text = "[S]\r\n";
        text.reserve((10u << 20) + 64);
        for (int i = 0; text.size() < (10u << 20); ++i) text += "k" + std::to_string(i) + "=v\r\n";
        Document doc(text, CodePage(932));
        doc.write("S", "k5", "five");
        doc.write("S", "new", "1");
        doc.write("s", "K5", "5");
        std::string want = text;
        want.replace(want.find("\r\nk5=v\r\n") + 2, 4, "k5=5");
        want += "new=1\r\n";
        EXPECT_EQ(doc.bytes(), want);
    }
}

TEST(ProfileFile, LoadAndCommit) {
    test::ScratchFolder dir("profiledoc");
    const std::string path = dir / "LIST.INI";

    Document doc;
    ASSERT_TRUE(loadDocument(path, doc));  // missing: an empty document
    EXPECT_TRUE(doc.empty());
    doc.write("SYSTEM", "COUNT", "1");
    std::string error;
    ASSERT_TRUE(commitDocument(path, doc, &error)) << error;
    EXPECT_EQ(test::readFile(path), "[SYSTEM]\r\nCOUNT=1\r\n");

    test::writeFile(path, "; kept\r\n[SYSTEM]\r\nCOUNT=1\r\n");
    ASSERT_TRUE(loadDocument(path, doc));
    doc.write("system", "count", "2");
    ASSERT_TRUE(commitDocument(path, doc, &error)) << error;
    EXPECT_EQ(test::readFile(path), "; kept\r\n[SYSTEM]\r\nCOUNT=2\r\n");
    EXPECT_EQ(test::readProfileString("SYSTEM", "COUNT", "", 260, path), "2");

    test::makeFolder(dir / "FOLDER");
    EXPECT_FALSE(loadDocument(dir / "FOLDER", doc));
    EXPECT_FALSE(commitDocument(dir / "NO\\LIST.INI", doc, &error));
    EXPECT_FALSE(error.empty());
}

TEST(ProfileFile, UnicodeFileIsNotRewritten) {
    test::ScratchFolder dir("profileutf16");
    const std::string path = dir / "U.INI";
    const std::string text = "\xFF\xFE[\0S\0]\0\r\0\n\0K\0=\0V\0"s;
    test::writeFile(path, text);
    Document doc;
    ASSERT_TRUE(loadDocument(path, doc));
    EXPECT_FALSE(doc.write("S", "K", "W"));
    std::string error;
    EXPECT_FALSE(commitDocument(path, doc, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(test::readFile(path), text);
}

}  // namespace
}  // namespace mfg::test
