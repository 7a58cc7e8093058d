// A list run killed at any moment leaves the list it was replacing or the
// complete new one, never a torn file: the list is written whole beside the
// old one and moved over it.  A helper process makes lists without end,
// alternating between two process-file folders, and is killed at random
// moments; after every kill the list must be one of the two complete lists.
//
// POSIX build only.  Under Wine every process start costs a good part of a
// second, so two hundred kills would add minutes to the Windows suite, and
// the kill and the move would be Wine's emulation of them rather than the
// system's.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "support/list_check.h"
#include "support/machine.h"
#include "support/process.h"

namespace mfg::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kKills = 200;
constexpr int kEntries = 40;

// Forty driver entries whose values differ in text and length between the
// two folders, under the same section and key names, so that each list
// replaces the other key for key.
std::string processFile(const std::string& tag, std::size_t padding) {
    std::string text = "[PRELOAD]\r\nLOG_FILE=$TESTDIR\\" + tag + ".LOG\r\n";
    for (int i = 0; i < kEntries; ++i) {
        const std::string n = std::to_string(i);
        text += "[E" + n + "]\r\nGROUP=PRELOAD\r\nNAME=" + tag + std::string(padding, '-') + n +
                "\r\nTYPE=DISPLAY\r\nID=" + n + "\r\nEXEPATH=$TESTDIR\\" + tag + "\\SETUP" + n +
                ".EXE\r\n";
    }
    return text;
}

// Runs the helper to its end: `runs` lists, the first from `first`.
double runLists(const std::string& list, const std::string& first, const std::string& second,
                int runs) {
    const auto start = Clock::now();
    test::ChildProcess child(test::helperProgram("list_runner"),
                             {list, first, second, std::to_string(runs)});
    EXPECT_EQ(child.wait(), 0);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(CrashConsistency, AKilledListRunLeavesTheOldListOrTheNewOne) {
    test::ScratchFolder dir("crash");
    const std::string a = dir / "A\\", b = dir / "B\\", list = dir / "LIST\\LIST.INI";
    for (const std::string& folder : {a, b, dir / "LIST\\"}) test::makeFolder(folder);
    test::writeFile(a + "MfgProc.ini", processFile("A", 4));
    test::writeFile(b + "MfgProc.ini", processFile("B", 90));

    runLists(list, a, b, 1);
    const std::string listA = test::readFile(list);
    runLists(list, b, a, 1);
    const std::string listB = test::readFile(list);
    runLists(list, a, b, 1);
    ASSERT_EQ(test::readFile(list), listA) << "the lists must replace each other whole";
    ASSERT_NE(listA, listB);
    const text::CodePage cp;
    for (const std::string* whole : {&listA, &listB}) {
        ASSERT_EQ(test::checkListFile(*whole, cp), "");
        ASSERT_EQ(test::listCount(*whole, cp), kEntries);
    }

    // Kill moments spread from the helper's start to one run past its first.
    const double oneRun = runLists(list, a, b, 1);
    const double perRun = std::max(0.0, (runLists(list, a, b, 11) - oneRun) / 10);
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<double> moment(0.0, oneRun + perRun);

    const std::filesystem::path listFolder = test::hostPath(dir / "LIST");
    int leftovers = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const bool fromA = rng() % 2 == 0;
        test::ChildProcess child(test::helperProgram("list_runner"),
                                 {list, fromA ? a : b, fromA ? b : a, "0"});
        ASSERT_TRUE(child.started());
        std::this_thread::sleep_for(std::chrono::duration<double>(moment(rng)));
        child.kill();
        child.wait();
        const std::string now = test::readFile(list);
        ASSERT_TRUE(now == listA || now == listB)
            << "kill " << kill << " left a list of " << now.size() << " bytes, neither whole list";
        // A new list the kill caught before its move stays beside the list:
        // the commit is where the kill landed.  Removed, so the next round
        // starts clean.
        for (const auto& entry : std::filesystem::directory_iterator(listFolder))
            if (entry.path().filename() != "LIST.INI") {
                ++leftovers;
                std::filesystem::remove(entry.path());
            }
    }
    RecordProperty("kills_during_a_commit", leftovers);
}

}  // namespace
}  // namespace mfg::test
