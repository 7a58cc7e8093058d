// The engineers' reference of process files (docs/process-files.md) against
// the library's own tables: a key, TYPE rank or macro added, renamed or
// reordered in the code fails here until the reference says so too.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "items/driver_order.h"
#include "items/hardware_id.h"
#include "items/keys.h"
#include "items/macros.h"
#include "listjob/cdrom_files.h"
#include "support/file_bytes.h"
#include "text/codepage.h"

namespace mfg::test {
namespace {

using items::Key;

const std::string& doc() {
    static const std::string text =
        readWholeFile(MFGLIST_PROCESS_FILES_DOC).value_or(std::string());
    return text;
}

// The text under the "## " heading, up to the next one.
std::string chapter(const std::string& heading) {
    const std::string mark = "\n## " + heading + "\n";
    const std::size_t at = doc().find(mark);
    if (at == std::string::npos) return std::string();
    const std::size_t end = doc().find("\n## ", at + mark.size());
    return doc().substr(at + mark.size(), end == std::string::npos ? end : end - at - mark.size());
}

// The cells of the rows of the first table in `text`, its header and rule
// rows included.
std::vector<std::vector<std::string>> firstTable(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::size_t at = text.find("\n|");
    while (at != std::string::npos && at + 1 < text.size() && text[at + 1] == '|') {
        const std::size_t end = text.find('\n', at + 1);
        const std::string line = text.substr(at + 2, end - at - 2);
        std::vector<std::string> cells;
        for (std::size_t from = 0, bar; (bar = line.find('|', from)) != std::string::npos;
             from = bar + 1) {
            std::string cell = line.substr(from, bar - from);
            cell.erase(0, cell.find_first_not_of(' '));
            cell.erase(cell.find_last_not_of(' ') + 1);
            cells.push_back(cell);
        }
        rows.push_back(cells);
        at = end;
    }
    return rows;
}

// `NAME` gives NAME; any other cell "".
std::string codeSpan(const std::string& cell) {
    if (cell.size() < 3 || cell.front() != '`' || cell.back() != '`') return std::string();
    return cell.substr(1, cell.size() - 2);
}

std::vector<std::string> keysDocumentedUnder(const std::string& heading) {
    std::vector<std::string> keys;
    for (const auto& row : firstTable(chapter(heading)))
        if (!row.empty() && !codeSpan(row[0]).empty()) keys.push_back(codeSpan(row[0]));
    return keys;
}

TEST(ProcessFilesDoc, DocumentsEveryKeyOfTheKeyTableInItsPlace) {
    ASSERT_FALSE(doc().empty()) << "cannot read " << MFGLIST_PROCESS_FILES_DOC;
    // Key's own groups, which together hold every key once.
    const struct {
        const char* heading;
        Key first, last;
    } places[] = {{"The group section", Key::logFile, Key::runEndTest},
                  {"Entry sections", Key::group, Key::selectPath},
                  {"Path macros", Key::testDirMacro, Key::windirMacro}};
    int next = 0;
    for (const auto& place : places) {
        SCOPED_TRACE(place.heading);
        ASSERT_EQ(static_cast<int>(place.first), next);
        std::vector<std::string> expected;
        for (int k = static_cast<int>(place.first); k <= static_cast<int>(place.last); ++k)
            expected.emplace_back(items::keyName(static_cast<Key>(k)));
        std::vector<std::string> documented = keysDocumentedUnder(place.heading);
        std::sort(expected.begin(), expected.end());
        std::sort(documented.begin(), documented.end());
        EXPECT_EQ(documented, expected);
        next = static_cast<int>(place.last) + 1;
    }
    EXPECT_EQ(next, static_cast<int>(Key::count));
}

TEST(ProcessFilesDoc, ListsTheMacrosInTheOrderTheyExpand) {
    std::vector<std::string> expected;
    for (Key macro : items::kMacroOrder) expected.emplace_back(items::keyName(macro));
    EXPECT_EQ(keysDocumentedUnder("Path macros"), expected);
}

TEST(ProcessFilesDoc, ListsTheTypeRanksInInstallOrder) {
    const text::CodePage cp(1252);
    std::vector<std::string> expected, documented;
    for (int rank = 0; items::rankedType(rank); ++rank)
        expected.push_back(std::to_string(rank) + " " + items::rankedType(rank));
    expected.push_back(std::to_string(items::typeRank("", cp)) + " (any other)");
    for (const auto& row : firstTable(chapter("TYPE ranks"))) {
        if (row.size() < 2 || row[0].empty() ||
            row[0].find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string type = codeSpan(row[1]);
        documented.push_back(row[0] + " " + (type.empty() ? "(any other)" : type));
    }
    EXPECT_EQ(documented, expected);
}

TEST(ProcessFilesDoc, NamesTheHardIdLengthsAndTheCdRomFiles) {
    const std::string hardIds = chapter("HARDID matching");
    for (std::size_t length : {items::kFamilyIdLength, items::kDeviceIdLength})
        EXPECT_NE(hardIds.find("exactly " + std::to_string(length) + " characters"),
                  std::string::npos)
            << length;
    for (const char* file : {kMatchedDriversFile, kConfigDriversFile, kSoftwareProcessFile})
        EXPECT_NE(chapter("Which files, in which mode").find(std::string("| `") + file + "` |"),
                  std::string::npos)
            << file;
}

}  // namespace
}  // namespace mfg::test
