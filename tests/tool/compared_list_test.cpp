// Two lists compared, as diff and impact compare them: the list read as
// UTF-8 text, and entries paired, added, removed, moved and changed.
#include <gtest/gtest.h>

#include "list/compared_list.h"

namespace mfgtool::test {
namespace {

// A list compared by diff and impact is text: keys and values with bytes of
// the code page above ASCII become UTF-8, the rest stay as they are.
TEST(ToolListFile, ComparedListIsUtf8) {
    const ComparedList list = comparedListFromBytes(
        "[SYSTEM]\r\nCOUNT=1\r\n[0]\r\nNAME=R\xE9seau\r\nHARDID=PCI\\VEN_8086\r\nCAF\xC9=1\r\n",
        1252, "list.ini");
    ASSERT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(
        list.entries[0],
        (KeyValues{{"NAME", "R\xC3\xA9seau"}, {"HARDID", "PCI\\VEN_8086"}, {"CAF\xC3\x89", "1"}}));
    ASSERT_TRUE(list.system);
    EXPECT_EQ(*list.system, (KeyValues{{"COUNT", "1"}}));
}

KeyValues entry(const std::string& name, const std::string& hardId, const std::string& exe = "x") {
    return {{"NAME", name}, {"HARDID", hardId}, {"EXEPATH", exe}};
}

TEST(ToolDiff, AddedRemovedMovedAndChanged) {
    const ComparedList before = {
        KeyValues{{"LOG_FILE", "a"}, {"COUNT", "4"}},
        {entry("A", "1"), entry("B", "2"), entry("C", "3"), entry("D", "4")}};
    const struct {
        const char* what;
        std::vector<KeyValues> after;
        std::vector<std::size_t> added, removed;
        std::vector<std::string> moved, changed;
    } cases[] = {
        {"same", before.entries, {}, {}, {}, {}},
        {"one inserted: the rest keep their order",
         {entry("A", "1"), entry("N", "9"), entry("B", "2"), entry("C", "3"), entry("D", "4")},
         {1},
         {},
         {},
         {}},
        {"one removed", {entry("A", "1"), entry("C", "3"), entry("D", "4")}, {}, {1}, {}, {}},
        {"one moved to the end",
         {entry("B", "2"), entry("C", "3"), entry("D", "4"), entry("A", "1")},
         {},
         {},
         {"A"},
         {}},
        {"a path changed",
         {entry("A", "1"), entry("B", "2", "y"), entry("C", "3"), entry("D", "4")},
         {},
         {},
         {},
         {"B"}},
        {"renamed, its section unknown: never paired by position",
         {entry("A", "1"), entry("B2", "2"), entry("C", "3"), entry("D", "4")},
         {1},
         {1},
         {},
         {}},
        {"two swapped",
         {entry("A", "1"), entry("C", "3"), entry("B", "2"), entry("D", "4")},
         {},
         {},
         {"B"},
         {}},
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
    ComparedList renamed = {before.system,
                            {entry("B2", "2"), entry("X", "8"), entry("C", "3"), entry("D", "4")},
                            {"SB", "SX", "SC", "SD"}};
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
        {before.system,
         {entry("X", "5", "a"), entry("X", "5", "b"), entry("A", "1"), entry("B", "2")}},
        {before.system,
         {entry("A", "1"), entry("B", "2"), entry("X", "5", "a"), entry("X", "5", "b")}});
    const ListDiff namesakes =
        compareLists({before.system, {entry("D", "1", "a"), entry("D", "2", "b")}},
                     {before.system, {entry("D", "2", "b"), entry("D", "1", "a")}});
    EXPECT_EQ(namesakes.matched.size(), 1u);
    for (const ListDiff* diff : {&twins, &namesakes})
        for (const EntryChange& change : diff->matched)
            EXPECT_TRUE(change.keys.empty()) << change.before << " -> " << change.after;
    const ListDiff system =
        compareLists(before, {KeyValues{{"LOG_FILE", "b"}, {"COUNT", "9"}}, before.entries});
    ASSERT_EQ(system.system.size(), 1u) << "COUNT is the entries' to tell";
    EXPECT_EQ(system.system[0].key, "LOG_FILE");
}

}  // namespace
}  // namespace mfgtool::test
