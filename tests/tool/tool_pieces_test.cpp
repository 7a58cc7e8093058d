// The tool's pure pieces, called directly: table fitting and cell cutting by
// display width (a source's place too), the list-file reader, code-page
// text, ID files, and the comparison of two lists.
#include <gtest/gtest.h>

#include "common/errors.h"
#include "common/text_encoding.h"
#include "ids/id_file.h"
#include "list/compared_list.h"
#include "list/install_list.h"
#include "present/json_contract.h"
#include "present/report.h"
#include "present/table.h"
#include "run/scratch_run.h"

namespace mfgtool {
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

TEST(ToolListFile, FirstSectionAndKeyWinWithoutRegardToCase) {
    const IniDocument document = parseIni(
        "KEY=before any section\r\n[SYSTEM]\r\nCOUNT=2\r\ncount=9\r\n[0]\r\nNAME=\"First\"\r\n"
        "[system]\r\nCOUNT=7\r\n[1]\r\n  NAME =  Second  \r\n");
    ASSERT_EQ(document.sections().size(), 3u);
    EXPECT_EQ(*document.find("system")->find("count"), "2");
    const InstallList list = installListFrom(document);
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_EQ(list.entries[0][0].second, "First");
    EXPECT_EQ(list.entries[1][0].second, "Second");
    EXPECT_TRUE(list.problems.empty());
}

// A line ends at a CR, an LF or both, whichever comes first; the same list
// written with each reads alike.
TEST(ToolListFile, EveryLineEndEndsALine) {
    for (const std::string end : {"\r\n", "\n", "\r", "\n\r", "\r\r\n"}) {
        SCOPED_TRACE(::testing::PrintToString(end));
        const InstallList list = installListFrom(parseIni(
            "[SYSTEM]" + end + "COUNT=2" + end + "[0]" + end + "NAME=A" + end + "Name=B" + end +
            "[1]" + end + "NAME=C"));
        ASSERT_EQ(list.entries.size(), 2u);
        EXPECT_EQ(list.entries[0], (KeyValues{{"NAME", "A"}}));
        EXPECT_EQ(list.entries[1], (KeyValues{{"NAME", "C"}}));
    }
}

TEST(ToolListFile, ReadsAListOfManyEntries) {
    std::string text = "[SYSTEM]\r\nCOUNT=40000\r\n";
    for (int i = 0; i < 40000; ++i)
        text += "[" + std::to_string(i) + "]\r\nNAME=E" + std::to_string(i) + "\r\n";
    const InstallList list = installListFrom(parseIni(text));
    ASSERT_EQ(list.entries.size(), 40000u);
    EXPECT_EQ(list.entries[39999][0].second, "E39999");
}

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

// A list compared by diff and impact is text: keys and values with bytes of
// the code page above ASCII become UTF-8, the rest stay as they are.
TEST(ToolListFile, ComparedListIsUtf8) {
    const ComparedList list = comparedListFromBytes(
        "[SYSTEM]\r\nCOUNT=1\r\n[0]\r\nNAME=R\xE9seau\r\nHARDID=PCI\\VEN_8086\r\nCAF\xC9=1\r\n", 1252,
        "list.ini");
    ASSERT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(list.entries[0], (KeyValues{{"NAME", "R\xC3\xA9seau"},
                                          {"HARDID", "PCI\\VEN_8086"},
                                          {"CAF\xC3\x89", "1"}}));
    ASSERT_TRUE(list.system);
    EXPECT_EQ(*list.system, (KeyValues{{"COUNT", "1"}}));
}

// What a run whose list was written comes to once the list is parsed: the
// same whether the run parsed it or preview parses it after its second run.
TEST(ToolRunVerdict, AParsedListWithoutEntriesSaysWhy) {
    const struct {
        std::string bytes;
        bool written, failed;
        std::optional<std::string> tracedReason;
        std::size_t entries;
        std::optional<std::string> noList;
        bool empty;
    } cases[] = {
        {"[SYSTEM]\r\nCOUNT=1\r\n[0]\r\nNAME=A\r\n", true, false, std::nullopt, 1, std::nullopt, false},
        {"[SYSTEM]\r\nCOUNT=0\r\n", true, false, std::nullopt, 0, "the list has no entries", true},
        {"[0]\r\nNAME=A\r\n", true, false, std::nullopt, 0, "the list file has no SYSTEM section", false},
        // The trace's reason wins, with the folder named as on every run.
        {"[SYSTEM]\r\nCOUNT=0\r\n", true, false, "CANNOT OPEN P:\\MEDIA\\DrvProc.ini", 0,
         "CANNOT OPEN <folder>\\DrvProc.ini", false},
        // A failed run keeps the library's reason; no list, nothing to parse.
        {"[SYSTEM]\r\nCOUNT=0\r\n", true, true, std::nullopt, 0, "kept", false},
        {"", false, false, std::nullopt, 0, "kept", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        LibraryRun run;
        run.folderForLibrary = "p:\\media\\";
        run.listBytes = c.bytes;
        run.list.written = c.written;
        run.failed = c.failed;
        run.tracedReason = c.tracedReason;
        if (c.failed || !c.written) run.noList = "kept";
        takeParsedList(run);
        EXPECT_EQ(run.list.entries.size(), c.entries);
        EXPECT_EQ(run.noList, c.noList);
        EXPECT_EQ(run.empty, c.empty);
    }
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
        {932, "\x83h\x83\x89\x83" "C\x83o", "\xE3\x83\x89\xE3\x83\xA9\xE3\x82\xA4\xE3\x83\x90", true},
        {932, "\xB1", "\xEF\xBD\xB1", true},        // half-width katakana, one byte
        {932, "A\x83", "A\xEF\xBF\xBD", false},      // a lead byte without its second byte
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

TEST(ToolIds, EveryEncodingGivesTheCodePageBytes) {
    const std::string ids = "# machine\r\n R\xC3\xA9seau \r\n;skip\r\n\r\nACPI0003";
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("R\xE9seau\nX")) utf16 += std::string{c, '\0'};
    const struct {
        std::string text;
        IdLines mode;
        std::vector<std::string> expected;
    } cases[] = {
        {ids, IdLines::tidy, {"R\xE9seau", "ACPI0003"}},
        {"\xEF\xBB\xBF" + ids, IdLines::tidy, {"R\xE9seau", "ACPI0003"}},
        {utf16, IdLines::tidy, {"R\xE9seau", "X"}},
        {"R\xE9seau\r\n", IdLines::tidy, {"R\xE9seau"}},  // already the code page's bytes
        {"\xEF\xBB\xBF A \r\n\r\n#B", IdLines::verbatim, {" A ", "", "#B"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(idsFromText(c.text, c.mode, 1252, "ids"), c.expected);
    }
    try {
        idsFromText("A\n" + kKanji + "\n", IdLines::tidy, 1252, "ids.txt");
        ADD_FAILURE() << "no error";
    } catch (const UsageError& e) {
        EXPECT_NE(std::string(e.what()).find("ids.txt line 2"), std::string::npos) << e.what();
    }
    // A broken UTF-16 text is named for what it is; a long line is quoted
    // by a short start only.
    const struct {
        std::string text;
        std::string says;
    } broken[] = {
        {std::string("\xFF\xFE" "A\0\n\0\x00\xD8", 8), "ids.txt line 2: a lone UTF-16 surrogate 0xD800"},
        {std::string("\xFF\xFE" "A\0\n\0" "B", 7), "ids.txt line 2: the UTF-16 text ends in an odd byte"},
        {std::string(100000, 'B') + kKanji, "\"" + std::string(40, 'B') + "...\" has a character"},
    };
    for (const auto& b : broken) {
        try {
            idsFromText(b.text, IdLines::tidy, 1252, "ids.txt");
            ADD_FAILURE() << "no error for " << b.says;
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(b.says), std::string::npos) << e.what();
            EXPECT_LT(std::string(e.what()).size(), 300u);
        }
    }
}

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

KeyValues entry(const std::string& name, const std::string& hardId, const std::string& exe = "x") {
    return {{"NAME", name}, {"HARDID", hardId}, {"EXEPATH", exe}};
}

TEST(ToolDiff, AddedRemovedMovedAndChanged) {
    const ComparedList before = {KeyValues{{"LOG_FILE", "a"}, {"COUNT", "4"}},
                                 {entry("A", "1"), entry("B", "2"), entry("C", "3"), entry("D", "4")}};
    const struct {
        const char* what;
        std::vector<KeyValues> after;
        std::vector<std::size_t> added, removed;
        std::vector<std::string> moved, changed;
    } cases[] = {
        {"same", before.entries, {}, {}, {}, {}},
        {"one inserted: the rest keep their order", {entry("A", "1"), entry("N", "9"), entry("B", "2"), entry("C", "3"), entry("D", "4")}, {1}, {}, {}, {}},
        {"one removed", {entry("A", "1"), entry("C", "3"), entry("D", "4")}, {}, {1}, {}, {}},
        {"one moved to the end", {entry("B", "2"), entry("C", "3"), entry("D", "4"), entry("A", "1")}, {}, {}, {"A"}, {}},
        {"a path changed", {entry("A", "1"), entry("B", "2", "y"), entry("C", "3"), entry("D", "4")}, {}, {}, {}, {"B"}},
        {"renamed, its section unknown: never paired by position", {entry("A", "1"), entry("B2", "2"), entry("C", "3"), entry("D", "4")}, {1}, {1}, {}, {}},
        {"two swapped", {entry("A", "1"), entry("C", "3"), entry("B", "2"), entry("D", "4")}, {}, {}, {"B"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ListDiff diff = compareLists(before, {before.system, c.after});
        EXPECT_EQ(diff.added, c.added);
        EXPECT_EQ(diff.removed, c.removed);
        std::vector<std::string> moved, changed;
        for (const EntryChange& change : diff.matched) {
            if (change.moved) moved.push_back(change.name);
            if (!change.keys.empty()) changed.push_back(change.name);
        }
        EXPECT_EQ(moved, c.moved);
        EXPECT_EQ(changed, c.changed);
        EXPECT_EQ(diff.equal(), std::string(c.what) == "same");
    }
    // Where the sections are known, an entry renamed in its section is
    // that entry changed, and unrelated entries at one position stay apart.
    ComparedList known = before;
    known.sections = {"SA", "SB", "SC", "SD"};
    ComparedList renamed = {before.system, {entry("B2", "2"), entry("X", "8"), entry("C", "3"), entry("D", "4")}, {"SB", "SX", "SC", "SD"}};
    const ListDiff bySection = compareLists(known, renamed);
    EXPECT_EQ(bySection.added, std::vector<std::size_t>{1});
    EXPECT_EQ(bySection.removed, std::vector<std::size_t>{0});
    ASSERT_EQ(bySection.matched.size(), 1u);
    EXPECT_EQ(bySection.matched[0].name, "B2");
    EXPECT_EQ(bySection.matched[0].before, 1u);
    EXPECT_EQ(bySection.matched[0].after, 0u);

    // Two copies of one entry that moved together pair first with first, and
    // two drivers of one NAME are told apart by their HARDIDs: what moved is
    // never reported changed.
    const ListDiff twins = compareLists(
        {before.system, {entry("X", "5", "a"), entry("X", "5", "b"), entry("A", "1"), entry("B", "2")}},
        {before.system, {entry("A", "1"), entry("B", "2"), entry("X", "5", "a"), entry("X", "5", "b")}});
    const ListDiff namesakes = compareLists({before.system, {entry("D", "1", "a"), entry("D", "2", "b")}},
                                            {before.system, {entry("D", "2", "b"), entry("D", "1", "a")}});
    EXPECT_EQ(namesakes.matched.size(), 1u);
    for (const ListDiff* diff : {&twins, &namesakes})
        for (const EntryChange& change : diff->matched)
            EXPECT_TRUE(change.keys.empty()) << change.before << " -> " << change.after;
    const ListDiff system = compareLists(before, {KeyValues{{"LOG_FILE", "b"}, {"COUNT", "9"}}, before.entries});
    ASSERT_EQ(system.system.size(), 1u) << "COUNT is the entries' to tell";
    EXPECT_EQ(system.system[0].key, "LOG_FILE");
}

}  // namespace
}  // namespace mfgtool
