// The process-file reader as the list flows use it: walks over real files,
// lookups, the section files it leaves behind, and input that must not hurt.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "reader/parse_ini_file.h"
#include "support/machine.h"
#include "support/process.h"
#include "trace/trace_log.h"

namespace mfg::test {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

constexpr char kTempFile[] = "C:\\Temp.ini";

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override { clean(); }
    void TearDown() override {
        CParseIniFile::ReleaseInstance();
        clean();
    }
    static void clean() {
        test::removeTree(kTempFile);
        for (const char* file : {kTempFile, kLookupCopyPath, kDebugFlagFile, kTraceLogFile})
            test::removeFile(file);
    }

    std::string processFile(const std::string& bytes, const char* name = "PROC.INI") {
        test::writeFile(dir_ / name, bytes);
        return dir_ / name;
    }
    CParseIniFile& open(const std::string& bytes) {
        CParseIniFile* reader = CParseIniFile::GetInstance();
        EXPECT_EQ(reader->OpenFile(processFile(bytes)), 1);
        return *reader;
    }

    // One line per section: its name, then each key's value, joined by "|".
    // Checks on the way that the temporary section file follows every step
    // and the lookup copy every lookup, and that closing deletes the former.
    static Lines walk(CParseIniFile& reader, const std::vector<std::string>& keys) {
        Lines lines;
        int more = reader.FirstSection();
        for (;; more = reader.NextSection()) {
            EXPECT_EQ(test::readFile(kTempFile), reader.sectionText());
            if (!more) break;
            std::string line = reader.GetSectionName();
            for (const std::string& key : keys) line += "|" + reader.GetValue(key);
            if (!keys.empty()) {
                EXPECT_EQ(test::readFile(kLookupCopyPath), reader.sectionText());
            }
            lines.push_back(line);
        }
        EXPECT_EQ(reader.sectionText(), "");
        EXPECT_EQ(reader.CloseFile(), 0);
        EXPECT_FALSE(test::fileExists(kTempFile));
        return lines;
    }

    test::ScratchFolder dir_{"reader"};
};

// With the section files switched off a walk answers the same and leaves
// neither file.
TEST_F(ReaderTest, SectionFilesSwitchedOffChangeNoAnswer) {
    const std::string bytes = "[A]\r\nK=1\r\n[B]\r\nK=2\r\n";
    CParseIniFile& kept = open(bytes);
    const Lines expected = walk(kept, {"K"});
    test::removeFile(kLookupCopyPath);
    CParseIniFile& quiet = open(bytes);
    quiet.keepSectionFiles(false);
    Lines lines;
    for (int more = quiet.FirstSection(); more; more = quiet.NextSection()) {
        lines.push_back(quiet.GetSectionName() + "|" + quiet.GetValue("K"));
        EXPECT_FALSE(test::fileExists(kTempFile));
        EXPECT_FALSE(test::fileExists(kLookupCopyPath));
    }
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(quiet.CloseFile(), 0);
    quiet.keepSectionFiles(true);
}

TEST_F(ReaderTest, FourLineFileStepByStep) {
    CParseIniFile& reader = open("[A]\r\nK=1\r\n[B]\r\nK=2\r\n");
    ASSERT_EQ(reader.FirstSection(), 1);
    EXPECT_EQ(reader.GetSectionName(), "A");
    EXPECT_EQ(reader.GetValue("K"), "1");
    EXPECT_EQ(reader.readPosition(), 10u);
    EXPECT_EQ(reader.sectionLine(), 1u);
    EXPECT_EQ(test::readFile(kTempFile), "[A]\r\nK=1\r\n");
    ASSERT_EQ(reader.NextSection(), 1);
    EXPECT_EQ(test::readFile(kTempFile), "[B]\r\nK=2");
    EXPECT_EQ(test::readFile(kLookupCopyPath), "[A]\r\nK=1\r\n");  // B not looked up yet
    EXPECT_EQ(reader.GetValue("K"), "2");
    EXPECT_EQ(test::readFile(kLookupCopyPath), "[B]\r\nK=2");
    EXPECT_EQ(reader.readPosition(), 20u);
    EXPECT_EQ(reader.sectionLine(), 3u);
    EXPECT_EQ(reader.NextSection(), 0);
    EXPECT_EQ(reader.sectionLine(), 0u);
    EXPECT_EQ(reader.GetSectionName(), "");
    EXPECT_EQ(reader.GetValue("K"), "");
    EXPECT_EQ(test::readFile(kLookupCopyPath), "");
    ASSERT_EQ(reader.FirstSection(), 1);  // a second walk of the same file
    EXPECT_EQ(reader.GetSectionName(), "A");
    ASSERT_EQ(reader.NextSection(), 1);
    ASSERT_EQ(reader.FirstSection(), 1);  // and a restart in the middle
    EXPECT_EQ(reader.GetValue("K"), "1");
    EXPECT_EQ(reader.CloseFile(), 0);
    EXPECT_FALSE(test::fileExists(kTempFile));
    EXPECT_EQ(reader.GetValue("K"), "");  // no walk, no answer
}

struct WalkCase {
    const char* what;
    std::string file;
    std::vector<std::string> keys;
    Lines sections;
};

std::string bigSection() {
    std::string s = "[BIG]\r\n";
    for (int i = 1000; i < 1200; ++i)
        s += "K" + std::to_string(i) + "=value number " + std::to_string(i) + "\r\n";
    return s + "LAST=yes\r\n";
}

TEST_F(ReaderTest, EverySectionIsReadWhole) {
    std::string preamble;
    while (preamble.size() < 3000) preamble += "; a comment line before any section\r\n";
    const WalkCase cases[] = {
        {"empty file", "", {"K"}, {}},
        {"two sections of one name", "[X]\r\nK=1\r\n[X]\r\nK=2\r\n", {"K"}, {"X|1", "X|2"}},
        {"brackets in values and comments",
         "[A]\r\nDESCRIPTION=Driver [x64]\r\n; see [B] too\r\nK=1\r\n[C]\r\nK=3",
         {"DESCRIPTION", "K"},
         {"A|Driver [x64]|1", "C||3"}},
        {"header far into the file", preamble + "[A]\r\nK=1", {"K"}, {"A|1"}},
        {"5000-byte section",
         bigSection() + "[N]\r\nLAST=no",
         {"K1000", "K1199", "LAST"},
         {"BIG|value number 1000|value number 1199|yes", "N|||no"}},
        // Keys are found in the text the walk cut, whatever the header holds.
        {"double-bracket header", "[[A]]\r\nK=1\r\n[B]\r\nK=2", {"K"}, {"[A|1", "B|2"}},
        {"second ] in a header",
         "[VGA]]\r\nK=1\r\n[LAN] ; see [notes]\r\nK=2\r\n[]\r\nK=3",
         {"K"},
         {"VGA|1", "LAN|2", "|3"}},
        {"header line without ]",
         "[A]\r\nK=1\r\n[B\r\nL=2\r\n[C]\r\nL=3",
         {"K", "L"},
         {"A|1|2", "C||3"}},
        {"NUL bytes",
         "[A]\r\nK=1\r\nX=ab\0cd\r\nL=2\r\n[B]\r\nK=2"s,
         {"K", "X", "L"},
         {"A|1|ab|", "B|2||"}},
        {"blanks and quotes around values",
         "[A]\r\nK=\"  v  \"\r\nL=   w\t\r\n",
         {"K", "L"},
         {"A|v|w"}},
        {"300-character value",
         "[A]\r\nK=" + std::string(300, 'x'),
         {"K"},
         {"A|" + std::string(259, 'x')}},
        {"blanks before headers, mixed line ends",
         " \t[A]\nK=1\r[B]\r\nK=2",
         {"K"},
         {"A|1", "B|2"}},
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(walk(open(c.file), c.keys), c.sections);
    }
}

// Section lines are the lines an editor shows, in whatever encoding the file
// comes: a byte-order mark and UTF-16 change no line number.
TEST_F(ReaderTest, SectionLinesAreTheEditorsLines) {
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("\r\n[A]\r\nK=1\r\n[B]")) utf16 += {c, '\0'};
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"ANSI", "\r\n[A]\r\nK=1\r\n[B]"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF\r\n[A]\r\nK=1\r\n[B]"},
        {"UTF-16", utf16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CParseIniFile& reader = open(c.file);
        std::vector<std::uint64_t> lines;
        for (int more = reader.FirstSection(); more; more = reader.NextSection())
            lines.push_back(reader.sectionLine());
        EXPECT_EQ(lines, (std::vector<std::uint64_t>{2, 4}));
        reader.CloseFile();
    }
}

TEST_F(ReaderTest, OpenTrimsThePathAndTracesEverySuccessfulOpen) {
    test::writeFile(kDebugFlagFile, "");
    const std::string path = processFile("[A]\r\nK=1");
    CParseIniFile* reader = CParseIniFile::GetInstance();
    EXPECT_EQ(reader->OpenFile(" \t" + path + "  "), 1);
    EXPECT_EQ(reader->processFilePath(), path);
    EXPECT_EQ(walk(*reader, {"K"}), Lines{"A|1"});
    EXPECT_EQ(reader->OpenFile(dir_ / "MISSING.INI"), 0);
    EXPECT_EQ(reader->FirstSection(), 0);
    EXPECT_EQ(reader->OpenFile(path), 1);
    reader->CloseFile();
    EXPECT_EQ(
        test::readFile(kTraceLogFile),
        "ORVANTIS == : TEMP FILE = C:\\Temp.ini\r\nORVANTIS == : TEMP FILE = C:\\Temp.ini\r\n");
}

TEST_F(ReaderTest, TempFileFollowsTheSystemDrive) {
#ifdef _WIN32
    GTEST_SKIP() << "the system directory is the prefix's own";
#else
    test::ScopedEnv system("MFGLIST_SYSTEM_DIR", "D:\\WINNT\\system32");
    CParseIniFile& reader = open("[A]\r\nK=1");
    EXPECT_EQ(reader.tempFilePath(), "D:\\Temp.ini");
    ASSERT_EQ(reader.FirstSection(), 1);
    EXPECT_EQ(test::readFile("D:\\Temp.ini"), "[A]\r\nK=1");
    reader.CloseFile();
    EXPECT_FALSE(test::fileExists("D:\\Temp.ini"));
#endif
}

TEST_F(ReaderTest, AnswersNeverDependOnTheSectionFiles) {
    const std::string file = "[A]\r\nK=1\r\n[B]\r\nK=2";
    const std::vector<std::function<void()>> spoilers = {
        [] { test::makeFolder(kTempFile); },
        [] {
            test::writeFile(kTempFile, "[A]\r\nK=stale");
            test::setReadOnly(kTempFile, true);
        },
    };
    for (const auto& spoil : spoilers) {
        spoil();
        CParseIniFile& reader = open(file);
        for (int more = reader.FirstSection(); more; more = reader.NextSection())
            EXPECT_EQ(reader.GetValue("K"), reader.GetSectionName() == "A" ? "1" : "2");
        reader.CloseFile();
        clean();
    }
    // Another process writing both files in the middle of a walk.
    CParseIniFile& reader = open(file);
    ASSERT_EQ(reader.FirstSection(), 1);
    test::writeFile(kTempFile, "[A]\r\nK=other");
    test::writeFile(kLookupCopyPath, "[A]\r\nK=other");
    EXPECT_EQ(reader.GetValue("K"), "1");
    ASSERT_EQ(reader.NextSection(), 1);
    EXPECT_EQ(reader.GetValue("K"), "2");
    reader.CloseFile();
}

TEST_F(ReaderTest, BadInputNeverHurts) {
    std::string binary(1 << 20, '\0');
    unsigned seed = 12345;
    for (char& c : binary) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    std::string manySections;
    for (int i = 0; i < 100'000; ++i) manySections += "[S]\r\nK=1\r\n";
    const std::string huge(100u << 20, 'x');
    const struct {
        const char* what;
        std::string file;
        int sections;  // -1: any number
        const char* lastValue;
    } cases[] = {
        {"NUL-filled", std::string(1 << 20, '\0'), 0, ""},
        {"binary", binary, -1, nullptr},
        {"100,000 sections", manySections + "[END]\r\nK=end", 100'001, "end"},
        {"100 MB line", "[A]\r\nK=1\r\nL=" + huge + "\r\n[B]\r\nK=2", 2, "2"},
        {"100 MB of one unclosed header", "[" + huge + "\r\n[A]\r\nK=1", 1, "1"},
        {"10 MB header", "[" + huge.substr(0, 10u << 20) + "]\r\nK=1", 1, "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CParseIniFile& reader = open(c.file);
        int sections = 0;
        std::string last;
        for (int more = reader.FirstSection(); more; more = reader.NextSection()) {
            ++sections;
            ASSERT_EQ(reader.sectionText()[0], '[');
            last = reader.GetValue("K");
        }
        EXPECT_EQ(reader.readPosition(), c.file.size());
        if (c.sections >= 0) {
            EXPECT_EQ(sections, c.sections);
        }
        if (c.lastValue) {
            EXPECT_EQ(last, c.lastValue);
        }
        reader.CloseFile();
    }
}

TEST_F(ReaderTest, DoubleByteCodePage) {
#ifdef _WIN32
    GTEST_SKIP() << "the code page is the prefix's own";
#else
    const std::string file = "[A]\r\nK=1\r\n[\x81]\r\nL=2\r\n[\x81]]\r\nM=3";
    {
        test::ScopedEnv cp("MFGLIST_CODEPAGE", "932");
        EXPECT_EQ(walk(open(file), {"K", "L", "M"}), (Lines{"A|1|2|", "\x81]|||3"}));
    }
    EXPECT_EQ(walk(open(file), {"K", "L", "M"}), (Lines{"A|1||", "\x81||2|", "\x81|||3"}));
#endif
}

// One reader serves a process until it is released; the next run gets a
// fresh one, and a reader made from the class information is another.
TEST_F(ReaderTest, OneReaderUntilReleased) {
    CParseIniFile* reader = CParseIniFile::GetInstance();
    EXPECT_EQ(CParseIniFile::GetInstance(), reader);
    const std::unique_ptr<CParseIniFile> made(reader->GetRuntimeClass()->createObject());
    ASSERT_NE(made, nullptr);
    EXPECT_NE(made.get(), reader);
    EXPECT_EQ(made->GetRuntimeClass(), reader->GetRuntimeClass());
    CParseIniFile::ReleaseInstance();
    CParseIniFile* next = CParseIniFile::GetInstance();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(CParseIniFile::GetInstance(), next);
}

// Two list runs on one machine share the section files' fixed paths; each
// must still read its own file.
TEST_F(ReaderTest, TwoProcessesWalkAtOnce) {
    const std::string go = dir_ / "GO";
    std::string files[2];
    std::string expected[2];
    for (int f = 0; f < 2; ++f) {
        std::string text;
        for (int i = 0; i < 2000; ++i) {
            const std::string id = std::string(1, static_cast<char>('A' + f)) + std::to_string(i);
            text += "[" + id + "]\r\nK=" + id + "\r\nL=" + std::to_string(i % 7) + "\r\n";
            expected[f] += id + "|" + id + "|" + std::to_string(i % 7) + "\n";
        }
        files[f] = processFile(text, f ? "B.INI" : "A.INI");
    }
    const std::string walker = test::helperProgram("reader_walker");
    test::ChildProcess first(walker, {files[0], dir_ / "A.OUT", go, "3", "K", "L"});
    test::ChildProcess second(walker, {files[1], dir_ / "B.OUT", go, "3", "K", "L"});
    ASSERT_TRUE(first.started() && second.started());
    test::writeFile(go, "");
    EXPECT_EQ(first.wait(), 0);
    EXPECT_EQ(second.wait(), 0);
    EXPECT_EQ(test::readFile(dir_ / "A.OUT"), expected[0] + expected[0] + expected[0]);
    EXPECT_EQ(test::readFile(dir_ / "B.OUT"), expected[1] + expected[1] + expected[1]);
}

}  // namespace
}  // namespace mfg::test
