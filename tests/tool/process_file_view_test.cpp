// The linter reads a process file through the reader's own pieces; this
// holds its view of every section (name, header line, keys and values) to
// what the reader answers for the same file, on generated files full of the
// things that go wrong: duplicates, blanks, quotes, NUL bytes, long values,
// lines without '=' or ']', and every kind of line end.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/process_file_view.h"
#include "items/keys.h"
#include "profile/profile_text.h"
#include "reader/parse_ini_file.h"
#include "support/machine.h"
#include "text/mbstring.h"

namespace mfgtool::test {
namespace {

class ProcessFileMaker {
public:
    explicit ProcessFileMaker(unsigned seed) : random_(seed) {}

    std::string file(std::vector<std::string>& names) {
        std::string text = pick({"", "; header comment", "stray text", "\xEF\xBB\xBF"}) + lineEnd();
        const int sections = below(8);
        for (int s = 0; s < sections; ++s) {
            text += pick({"", " ", "\t"}) + "[" + pick({"A", "a", " B ", "VGA", "LAN]x", ""}) +
                    "]" + pick({"", " ; note", " trailing"}) + lineEnd();
            const int lines = below(9);
            for (int l = 0; l < lines; ++l) text += line(names) + lineEnd();
        }
        return text;
    }

private:
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    std::string pick(std::initializer_list<const char*> options) {
        return *(options.begin() + below(static_cast<int>(options.size())));
    }
    std::string lineEnd() { return pick({"\r\n", "\n", "\r", "\r\n\r\n", "\n\r"}); }
    std::string keyName(std::vector<std::string>& names) {
        std::string name;
        switch (below(4)) {
            case 0:
                name = mfg::items::keyName(
                    static_cast<mfg::items::Key>(below(static_cast<int>(mfg::items::Key::count))));
                break;
            case 1:
                name = pick({"exepath", "Group", "TYPE", "NAME"});
                break;
            case 2:
                name = pick({"K", "EXEPTAH", ";K", "A B"});
                break;
            default:
                name = "K" + std::to_string(below(5));
                break;
        }
        names.push_back(name);
        return pick({"", " ", "\t"}) + name + pick({"", " ", "\t"});
    }
    std::string value() {
        switch (below(7)) {
            case 0:
                return "";
            case 1:
                return "\"quoted\"";
            case 2:
                return "'a'  ";
            case 3:
                return std::string("a\0b", 3);
            case 4:
                return std::string(200 + below(400), 'V');
            case 5:
                return " $TESTDIR\\X -Y ";
            default:
                return "v" + std::to_string(below(100));
        }
    }
    std::string line(std::vector<std::string>& names) {
        switch (below(8)) {
            case 0:
                return "";
            case 1:
                return "; comment=1";
            case 2:
                return "no equals here";
            case 3:
                return "[not a header";
            default:
                return keyName(names) + "=" + value();
        }
    }
    std::mt19937 random_;
};

TEST(ProcessFileView, EverySectionIsWhatTheReaderReads) {
    const mfg::test::ScratchFolder dir("processfileview", mfg::test::ScratchPlace::hostTemp);
    const mfg::text::CodePage cp = mfg::text::CodePage::active();
    ProcessFileMaker maker(20261208);
    for (int n = 0; n < 150; ++n) {
        std::vector<std::string> names;
        const std::string bytes = maker.file(names);
        SCOPED_TRACE(testing::PrintToString(bytes));
        mfg::test::writeFile(dir / "P.INI", bytes);
        const ProcessFileView view = viewProcessFile(bytes, cp);
        SectionLookup lookup(cp);

        mfg::CParseIniFile* reader = mfg::CParseIniFile::GetInstance();
        ASSERT_EQ(reader->OpenFile(dir / "P.INI"), 1);
        std::size_t index = 0;
        for (int more = reader->FirstSection(); more; more = reader->NextSection(), ++index) {
            ASSERT_LT(index, view.sections.size());
            const SectionView& section = view.sections[index];
            EXPECT_EQ(section.name, reader->GetSectionName());
            EXPECT_EQ(section.line, reader->sectionLine());
            EXPECT_EQ(section.text, reader->sectionText());
            for (const KeyLine& key : section.keys) names.push_back(key.name);
            lookup.index(section.text);
            for (const std::string& name : names) {
                EXPECT_EQ(section.value(name, cp), reader->wholeValue(name)) << name;
                EXPECT_EQ(lookup.value(name), reader->wholeValue(name)) << name;
            }
        }
        EXPECT_EQ(index, view.sections.size());
        reader->CloseFile();
        mfg::CParseIniFile::ReleaseInstance();
    }
}

// The rows look up a few values of a scanned section; lint and impact read
// its keys whole.  Both must give the reader's answer, in a double-byte page
// too, where a trail byte may be a ']' or a letter that is never folded.
TEST(ProcessFileView, ScannedLookupAnswersAsTheReadKeys) {
    const std::string text =
        "; before the first section\r\n"
        "[A]\r\nNAME=first\r\nname=second\r\n Type = spaced value \r\n"
        ";HARDID=commented\r\nHARDID=10DE0001\r\n[not a header\r\nEXEPATH\r\n"
        "[B]x ; note\r\nPACKETNAME=' quoted '\r\n\tTYPE\t=\t\"q\"\r\nK\x82\x61=dbcs a\r\n"
        "K\x82\x41=dbcs A\r\n\x83\x5D]=trail bracket\r\n[not]header=1\r\n"
        "[]\nEXEPATH=\n\nNAME = \n[C\x83\x5D]\r\nNAME=dbcs section\r\n";
    const std::vector<std::string> keys = {"NAME",        "name",      " NAME ",    "TYPE",
                                           "HARDID",      ";HARDID",   "EXEPATH",   "PACKETNAME",
                                           "K\x82\x61",   "K\x82\x41", "k\x82\x61", "\x83\x5D]",
                                           "[not]header", "MISSING",   ""};
    for (const unsigned page : {1252u, 932u}) {
        const mfg::text::CodePage cp(page);
        const ProcessFileView scanned = scanProcessFile(text, cp);
        const ProcessFileView view = viewProcessFile(text, cp);
        ASSERT_EQ(scanned.sections.size(), view.sections.size()) << page;
        SectionLookup lookup(cp);
        for (std::size_t s = 0; s < view.sections.size(); ++s) {
            SectionView section = scanned.sections[s];
            SCOPED_TRACE(std::to_string(page) + " [" + section.name + "]");
            lookup.index(section.text);
            readSectionKeys(section, cp);
            EXPECT_EQ(section.keys.size(), view.sections[s].keys.size());
            for (const std::string& key : keys) {
                const std::string expected = mfg::profile::getSectionString(
                    section.text, key, "", section.text.size() + 2, cp);
                EXPECT_EQ(lookup.value(key), mfg::text::trimAsciiSpace(expected)) << key;
                EXPECT_EQ(section.value(key, cp), lookup.value(key)) << key;
            }
        }
    }
}

}  // namespace
}  // namespace mfgtool::test
