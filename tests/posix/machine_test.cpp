// The POSIX machine: the environment decides its drives, its version, its
// system directory and its code page.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/platform.h"
#include "platform/posix/machine.h"
#include "support/file_bytes.h"
#include "support/machine.h"
#include "support/profile_calls.h"

namespace mfg::test {
namespace {

namespace fs = std::filesystem;
using platform::posix::resolvePath;
using test::ScopedEnv;

// A folder of the test machine that a test maps as a drive of its own.
struct NativeTree {
    test::ScratchFolder folder{"tree"};
    std::string root = test::withoutClosingSlash(folder.hostPath());
    void file(const std::string& relative, const std::string& content = "x") const {
        fs::create_directories(fs::path(root + "/" + relative).parent_path());
        std::ofstream(root + "/" + relative) << content;
    }
};

TEST(PosixDriveMap, DefaultIsOnlyZMappedToRoot) {
    ScopedEnv drives("MFGLIST_DRIVES", std::nullopt);
    const auto map = platform::posix::driveMap();
    ASSERT_EQ(map.size(), 1u);
    EXPECT_EQ(map[0].letter, 'Z');
    EXPECT_EQ(map[0].folder, "/");
    EXPECT_FALSE(resolvePath("C:\\x.ini").has_value());
    EXPECT_EQ(resolvePath("Z:\\tmp").value_or(""), "/tmp");
}

TEST(PosixDriveMap, ParsesLettersInAnyCaseAndSkipsMalformedEntries) {
    ScopedEnv drives("MFGLIST_DRIVES", "c=/srv/c/;D=/srv/d;;E=relative;FF=/x;=/y;G");
    const auto map = platform::posix::driveMap();
    ASSERT_EQ(map.size(), 3u);
    EXPECT_EQ(map[0].letter, 'C');
    EXPECT_EQ(map[0].folder, "/srv/c");
    EXPECT_EQ(map[1].letter, 'D');
    EXPECT_EQ(map[2].letter, 'Z');
}

TEST(PosixDriveMap, MissingDriveFailsEveryOperation) {
    ScopedEnv drives("MFGLIST_DRIVES", "C=/tmp");
    EXPECT_FALSE(platform::pathExists("Q:\\"));
    EXPECT_FALSE(platform::pathExists("Q:\\anything"));
    std::string content;
    EXPECT_FALSE(platform::readWholeFile("Q:\\a.txt", content));
    EXPECT_FALSE(platform::replaceFileAtomically("Q:\\a.txt", "x"));
    EXPECT_FALSE(platform::appendText("Q:\\a.log", "x\n"));
    EXPECT_EQ(platform::openForReading("Q:\\a.txt"), nullptr);
    EXPECT_EQ(platform::createForRewriting("Q:\\a.txt"), nullptr);
    EXPECT_FALSE(test::copyFile("C:\\", "Q:\\b"));
    EXPECT_FALSE(platform::deleteFile("Q:\\a.txt"));
}

TEST(PosixPaths, ComponentsResolveWithoutRegardToCase) {
    NativeTree tree;
    tree.file("Proc/MfgProc.ini");
    tree.file("Proc/Sub Dir/Setup.EXE");
    ScopedEnv drives("MFGLIST_DRIVES", "C=" + tree.root);
    struct Case {
        const char* windows;
        std::string native;
    } cases[] = {
        {"C:\\PROC\\MFGPROC.INI", tree.root + "/Proc/MfgProc.ini"},
        {"c:\\proc\\mfgproc.ini", tree.root + "/Proc/MfgProc.ini"},
        {"C:/Proc/MfgProc.ini", tree.root + "/Proc/MfgProc.ini"},
        {"C:\\PROC\\\\SUB DIR\\setup.exe", tree.root + "/Proc/Sub Dir/Setup.EXE"},
        {"C:\\PROC\\.\\x\\..\\MfgProc.ini", tree.root + "/Proc/MfgProc.ini"},
        {"C:\\..\\..\\PROC", tree.root + "/Proc"},
        {"C:\\PROC\\New File.INI", tree.root + "/Proc/New File.INI"},
        {"C:\\", tree.root},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resolvePath(c.windows).value_or("?"), c.native) << c.windows;
}

TEST(PosixPaths, ExactSpellingWinsOverAnotherCase) {
    NativeTree tree;
    tree.file("a.ini", "lower");
    tree.file("A.ini", "upper");
    ScopedEnv drives("MFGLIST_DRIVES", "C=" + tree.root);
    EXPECT_EQ(resolvePath("C:\\A.ini").value_or(""), tree.root + "/A.ini");
    EXPECT_EQ(resolvePath("C:\\a.ini").value_or(""), tree.root + "/a.ini");
    // Neither spelling: the first in byte order, so the choice is stable.
    EXPECT_EQ(resolvePath("C:\\A.INI").value_or(""), tree.root + "/A.ini");
}

// The same answers from a listing of the folder kept from an earlier call:
// one made once the clock has passed the folder's last change.
TEST(PosixPaths, ExactSpellingWinsInAKeptListingToo) {
    NativeTree tree;
    tree.file("a.ini", "lower");
    tree.file("A.ini", "upper");
    ScopedEnv drives("MFGLIST_DRIVES", "C=" + tree.root);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(resolvePath("C:\\A.INI").value_or(""), tree.root + "/A.ini");  // lists the folder
    EXPECT_EQ(resolvePath("C:\\a.ini").value_or(""), tree.root + "/a.ini");
    EXPECT_EQ(resolvePath("C:\\A.ini").value_or(""), tree.root + "/A.ini");
}

TEST(PosixPaths, TrailByteBackslashIsNotASeparatorInDoubleBytePages) {
    NativeTree tree;
    const std::string name = "\x95\x5C";  // one character in code page 932
    tree.file(name + "/k.ini");
    ScopedEnv drives("MFGLIST_DRIVES", "C=" + tree.root);
    {
        ScopedEnv codePage("MFGLIST_CODEPAGE", "932");
        EXPECT_EQ(resolvePath("C:\\" + name + "\\k.ini").value_or(""),
                  tree.root + "/" + name + "/k.ini");
    }
    ScopedEnv codePage("MFGLIST_CODEPAGE", "1252");
    EXPECT_EQ(resolvePath("C:\\" + name + "\\k.ini").value_or(""), tree.root + "/\x95/k.ini");
}

TEST(PosixPaths, NetworkPathsDoNotExist) {
    EXPECT_FALSE(resolvePath("\\\\SERVER\\SHARE\\X").has_value());
    EXPECT_FALSE(resolvePath("").has_value());
}

TEST(PosixPaths, NativePathsAreExpressedOnTheLongestMatchingDrive) {
    ScopedEnv drives("MFGLIST_DRIVES", "C=/srv;D=/srv/d");
    EXPECT_EQ(platform::posix::toWindowsPath("/srv/d/lib/x.so"), "D:\\lib\\x.so");
    EXPECT_EQ(platform::posix::toWindowsPath("/srv/dd/x.so"), "C:\\dd\\x.so");
    EXPECT_EQ(platform::posix::toWindowsPath("/srv"), "C:\\");
    EXPECT_EQ(platform::posix::toWindowsPath("/opt/x.so"), "Z:\\opt\\x.so");
}

// A list file kept elsewhere behind links (an absolute one to a relative
// one) gets the new list there, and the links stay; a loop changes nothing.
TEST(PosixFiles, AtomicReplaceWritesThroughSymbolicLinks) {
    NativeTree tree;
    ScopedEnv drives("MFGLIST_DRIVES", "L=" + tree.root);
    tree.file("kept/LIST.INI", "old");
    fs::create_symlink("kept/LIST.INI", tree.root + "/relative.ini");
    fs::create_symlink(tree.root + "/relative.ini", tree.root + "/absolute.ini");
    ASSERT_TRUE(platform::replaceFileAtomically("L:\\absolute.ini", "new"));
    EXPECT_TRUE(fs::is_symlink(tree.root + "/absolute.ini"));
    std::string content;
    ASSERT_TRUE(platform::readWholeFile("L:\\kept\\LIST.INI", content));
    EXPECT_EQ(content, "new");
    fs::create_symlink("loop.ini", tree.root + "/loop.ini");
    EXPECT_FALSE(platform::replaceFileAtomically("L:\\loop.ini", "x"));
    EXPECT_TRUE(fs::is_symlink(tree.root + "/loop.ini"));
}

TEST(PosixMachine, SystemDirectoryComesFromTheEnvironment) {
    std::string dir;
    {
        ScopedEnv unset("MFGLIST_SYSTEM_DIR", std::nullopt);
        ASSERT_TRUE(platform::systemDirectory(dir));
        EXPECT_EQ(dir, "C:\\WINDOWS\\system32");
    }
    {
        ScopedEnv set("MFGLIST_SYSTEM_DIR", "D:\\WINNT\\System32");
        ASSERT_TRUE(platform::systemDirectory(dir));
        EXPECT_EQ(dir, "D:\\WINNT\\System32");
    }
    ScopedEnv empty("MFGLIST_SYSTEM_DIR", "");
    EXPECT_FALSE(platform::systemDirectory(dir));
}

TEST(PosixMachine, VersionComesFromTheEnvironment) {
    struct Case {
        std::optional<std::string> value;
        bool ok;
        std::uint32_t major, minor, build;
        std::uint8_t productType;
    } cases[] = {
        {std::nullopt, true, 5, 1, 2600, 1},
        {"6.0", true, 6, 0, 6002, 1},
        {"6.0:server", true, 6, 0, 6002, 3},
        {"6.1", true, 6, 1, 7601, 1},
        {"10.0", true, 10, 0, 0, 1},
        {"", false, 0, 0, 0, 0},
        {"six", false, 0, 0, 0, 0},
        {"6.", false, 0, 0, 0, 0},
        {"6.0:workstation", false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        ScopedEnv version("MFGLIST_WINVER", c.value);
        platform::VersionInfo info;
        std::uint32_t error = 0;
        ASSERT_EQ(platform::windowsVersion(info, error), c.ok) << c.value.value_or("(unset)");
        if (!c.ok) {
            EXPECT_EQ(error, 87u);
            continue;
        }
        EXPECT_EQ(info.major, c.major);
        EXPECT_EQ(info.minor, c.minor);
        EXPECT_EQ(info.build, c.build);
        EXPECT_EQ(info.platformId, 2u);
        EXPECT_EQ(info.productType, c.productType);
        EXPECT_TRUE(info.extended);
    }
}

TEST(PosixMachine, CodePageComesFromTheEnvironment) {
    struct Case {
        std::optional<std::string> value;
        unsigned expected;
    } cases[] = {{std::nullopt, 1252}, {"932", 932},   {"936", 936},    {"949", 949},
                 {"950", 950},         {"1252", 1252}, {"65001", 1252}, {"abc", 1252}};
    for (const Case& c : cases) {
        ScopedEnv codePage("MFGLIST_CODEPAGE", c.value);
        EXPECT_EQ(platform::activeCodePage(), c.expected) << c.value.value_or("(unset)");
    }
}

// A run reads the drive map and the code page once; what the host changes
// during a run counts from the next one, and nested holds keep the first read.
TEST(PosixMachine, ARunHoldsTheSettingsItStartedWith) {
    NativeTree tree;
    ScopedEnv codePage("MFGLIST_CODEPAGE", "932");
    ScopedEnv drives("MFGLIST_DRIVES", "C=/tmp");
    ScopedEnv debugTarget("MFGLIST_DEBUG_OUTPUT", tree.root + "/first.txt");
    {
        const platform::RunSettingsHeld run;
        ScopedEnv laterCodePage("MFGLIST_CODEPAGE", "950");
        ScopedEnv laterDrives("MFGLIST_DRIVES", "D=/tmp");
        ScopedEnv laterDebugTarget("MFGLIST_DEBUG_OUTPUT", tree.root + "/later.txt");
        const platform::RunSettingsHeld nested;
        EXPECT_EQ(platform::activeCodePage(), 932u);
        EXPECT_EQ(resolvePath("C:\\x").value_or(""), "/tmp/x");
        EXPECT_FALSE(resolvePath("D:\\x").has_value());
        platform::debugOutput("entry");
        EXPECT_TRUE(fs::exists(tree.root + "/first.txt"));
        EXPECT_FALSE(fs::exists(tree.root + "/later.txt"));
    }
    EXPECT_EQ(platform::activeCodePage(), 932u);
    EXPECT_TRUE(resolvePath("C:\\x").has_value());
    ScopedEnv afterCodePage("MFGLIST_CODEPAGE", "950");
    EXPECT_EQ(platform::activeCodePage(), 950u);
}

TEST(PosixMachine, DebugOutputGoesWhereTheEnvironmentSays) {
    NativeTree tree;
    const std::string target = tree.root + "/debug.txt";
    {
        ScopedEnv discard("MFGLIST_DEBUG_OUTPUT", std::nullopt);
        platform::debugOutput("lost");
    }
    ScopedEnv file("MFGLIST_DEBUG_OUTPUT", target);
    platform::debugOutput("first");
    platform::debugOutput("second");
    EXPECT_EQ(test::readWholeFile(target).value_or(std::string()), "first\nsecond\n");
}

TEST(PosixMachine, ModulePathIsOnADrive) {
    std::string path;
    ASSERT_TRUE(platform::moduleFileName(path));
    ASSERT_GE(path.size(), 3u);
    EXPECT_EQ(path[1], ':');
    EXPECT_EQ(path[2], '\\');
}

}  // namespace
}  // namespace mfg::test
