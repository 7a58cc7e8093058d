// Path resolution keeps folder listings between calls: the work per list
// step must not grow with a folder's size, and a file made or removed
// between two calls must still be seen (the trace starts the moment the
// flag file appears).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "platform/platform.h"
#include "platform/posix/folder_listing.h"
#include "platform/posix/machine.h"
#include "support/machine.h"

namespace mfg::test {
namespace {

namespace fs = std::filesystem;
using platform::posix::resolverCalls;
using test::ScopedEnv;

struct Drives {
    test::ScratchFolder folder{"cost"};
    std::string root = test::withoutClosingSlash(folder.hostPath());
    Drives() {
        for (const char* d : {"c", "d", "e", "p"}) fs::create_directories(root + "/" + d);
    }
    std::string map() const {
        return "C=" + root + "/c;D=" + root + "/d;E=" + root + "/e;P=" + root + "/p";
    }
    void touch(const std::string& relative) const { std::ofstream(root + "/" + relative) << "x"; }
};

TEST(PathResolutionCost, FileMadeOrRemovedBetweenTwoCallsIsSeen) {
    Drives drives;
    ScopedEnv map("MFGLIST_DRIVES", drives.map());
    for (int round = 0; round < 2; ++round) {
        EXPECT_FALSE(platform::pathExists("C:\\VRELDEBUG.FLG"));
        drives.touch("c/vrelDebug.flg");
        EXPECT_TRUE(platform::pathExists("C:\\VRELDEBUG.FLG")) << round;
        fs::remove(drives.root + "/c/vrelDebug.flg");
        EXPECT_FALSE(platform::pathExists("C:\\VRELDEBUG.FLG")) << round;
        // The second round starts from a listing old enough to be kept.
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        EXPECT_FALSE(platform::pathExists("C:\\VRELDEBUG.FLG"));
    }
}

// Within a run, a path of one name in a drive's root keeps where its root
// lies (the trace's flag file is checked so before every message): the name
// itself is still looked for each time, and the next run reads its drive map
// anew.
TEST(PathResolutionCost, HeldRunSeesTheRootFileComeAndGoAndTheNextRunItsNewDrive) {
    Drives drives;
    {
        ScopedEnv map("MFGLIST_DRIVES", drives.map());
        const platform::RunSettingsHeld run;
        for (int round = 0; round < 2; ++round) {
            EXPECT_FALSE(platform::pathExists("C:\\VRELDEBUG.FLG")) << round;
            drives.touch("c/vrelDebug.flg");
            EXPECT_TRUE(platform::pathExists("C:\\VRELDEBUG.FLG")) << round;
            EXPECT_EQ(platform::posix::resolvePath("C:\\VRELDEBUG.FLG").value_or(""),
                      drives.root + "/c/vrelDebug.flg");
            fs::remove(drives.root + "/c/vrelDebug.flg");
            EXPECT_FALSE(platform::pathExists("C:\\VRELDEBUG.FLG")) << round;
        }
    }
    drives.touch("d/vrelDebug.flg");
    ScopedEnv map("MFGLIST_DRIVES", "C=" + drives.root + "/d");
    {
        const platform::RunSettingsHeld run;
        EXPECT_TRUE(platform::pathExists("C:\\VRELDEBUG.FLG"));
    }
    ScopedEnv placed("MFGLIST_FILES", "C:\\vrelDebug.flg=" + drives.root + "/e/flag");
    const platform::RunSettingsHeld run;
    for (int round = 0; round < 2; ++round) {
        EXPECT_FALSE(platform::pathExists("C:\\vrelDebug.flg")) << round;
        drives.touch("e/flag");
        EXPECT_TRUE(platform::pathExists("C:\\vrelDebug.flg")) << round;
        fs::remove(drives.root + "/e/flag");
    }
}

// The trace checks for its flag file before every message: while the file
// is absent and drive C:'s root unchanged, a check is one call (the folder's
// stat that proves the kept listing still true), and the file is seen the
// moment it is made.
// Within a run the answer itself is kept with the folder's state, and the
// one call is the stat that finds the folder unchanged.
TEST(PathResolutionCost, AbsentFlagFileCostsOneCallPerCheck) {
    for (const bool held : {false, true}) {
        Drives drives;
        ScopedEnv map("MFGLIST_DRIVES", drives.map());
        std::optional<platform::RunSettingsHeld> run;
        if (held) run.emplace();
        for (int round = 0; round < 2; ++round) {
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            EXPECT_FALSE(platform::pathExists("C:\\vrelDebug.flg"));  // lists C: and keeps it
            const auto before = resolverCalls();
            constexpr int kChecks = 100;
            for (int i = 0; i < kChecks; ++i)
                EXPECT_FALSE(platform::pathExists("C:\\vrelDebug.flg"));
            const auto after = resolverCalls();
            EXPECT_EQ(after.fileSystemCalls - before.fileSystemCalls,
                      static_cast<std::uint64_t>(kChecks))
                << held;
            EXPECT_EQ(after.listings, before.listings) << held;
            drives.touch("c/VRELDEBUG.FLG");
            EXPECT_TRUE(platform::pathExists("C:\\vrelDebug.flg")) << held << round;
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            EXPECT_TRUE(platform::pathExists("C:\\vrelDebug.flg")) << held << round;
            fs::remove(drives.root + "/c/VRELDEBUG.FLG");
            EXPECT_FALSE(platform::pathExists("C:\\vrelDebug.flg")) << held << round;
        }
    }
}

// A kept listing must never miss an entry made after it in the tick of the
// folder's last change: it is kept only when the stamp clock, read before
// listing, lies past that change by more than a step of the folder's times.
TEST(PathResolutionCost, AListingIsKeptOnceTheClockHasPassedTheLastChangeByAStep) {
    const auto at = [](time_t sec, long nsec) { return timespec{sec, nsec}; };
    const struct {
        const char* what;
        timespec modified, changed, listedAt;
        bool kept;
    } cases[] = {
        {"times to the nanosecond, listed in the same tick", at(100, 123456789), at(100, 123456789),
         at(100, 123456789), false},
        {"half a millisecond later", at(100, 123456789), at(100, 123456789), at(100, 124000000),
         false},
        {"two milliseconds later", at(100, 123456789), at(100, 123456789), at(100, 125500000),
         true},
        {"the later of the two times counts", at(100, 123456789), at(101, 1), at(100, 900000000),
         false},
        {"whole seconds, a second later", at(100, 0), at(100, 0), at(101, 500000000), false},
        {"whole seconds, more than two seconds later", at(100, 0), at(100, 0), at(102, 500000000),
         true},
        {"10 ms steps, 15 ms later", at(100, 120000000), at(100, 120000000), at(100, 135000000),
         false},
        {"10 ms steps, 25 ms later", at(100, 120000000), at(100, 120000000), at(100, 145000000),
         true},
    };
    for (const auto& c : cases) {
        struct stat folder {};
        folder.st_mtim = c.modified;
        folder.st_ctim = c.changed;
        EXPECT_EQ(platform::posix::listingCanBeKept(folder, c.listedAt), c.kept) << c.what;
    }
}

// File-system calls of path resolution per section of a driver list run
// whose drive C: (where the flag file is looked for before every trace
// message) holds `extraFiles` other files.
double callsPerSection(int extraFiles, int sections, std::uint64_t& listings) {
    Drives drives;
    for (int i = 0; i < extraFiles; ++i) drives.touch("c/other" + std::to_string(i) + ".dat");
    std::ofstream proc(drives.root + "/p/MfgProc.ini", std::ios::binary);
    proc << "[PRELOAD]\r\nLOG_FILE=$TESTDIR\\install.log\r\n";
    for (int i = 0; i < sections; ++i)
        proc << "[E" << i << "]\r\nGROUP=PRELOAD\r\nNAME=D" << i << "\r\nTYPE=DISPLAY\r\n";
    proc.close();
    // Nothing the run writes lands on C:, so its listing stays valid.
    ScopedEnv map("MFGLIST_DRIVES", drives.map());
    ScopedEnv system("MFGLIST_SYSTEM_DIR", "E:\\WINDOWS\\system32");
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const auto before = resolverCalls();
    CMfgList list(MFG_LIST_DRIVER, "X -D P:\\", 0);
    list.CreateIniFile(0, nullptr, "D:\\LIST.INI");
    list.FreeItems();
    const auto after = resolverCalls();
    listings = after.listings - before.listings;
    EXPECT_TRUE(fs::exists(drives.root + "/d/LIST.INI"));
    return static_cast<double>(after.fileSystemCalls - before.fileSystemCalls) / sections;
}

TEST(PathResolutionCost, CallsPerSectionDoNotGrowWithTheFolder) {
    std::uint64_t smallListings = 0;
    std::uint64_t largeListings = 0;
    const double small = callsPerSection(0, 200, smallListings);
    const double large = callsPerSection(3000, 200, largeListings);
    // About one per trace message (eight a section here) and a few per run.
    EXPECT_LE(small, 12.0);
    EXPECT_NEAR(large, small, 0.5);
    // Listings per run, not per section or per message.
    EXPECT_LE(smallListings, 4u);
    EXPECT_LE(largeListings, 4u);
}

}  // namespace
}  // namespace mfg::test
