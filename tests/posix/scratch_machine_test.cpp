// The scratch machine of the project's own programs on the portable build:
// what a ScratchMachine lays out, enters and removes, and the drive folders
// the tool lays out with the same pieces.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "scratch/scratch_machine.h"
#include "support/machine.h"

namespace mfg::test {
namespace {

namespace fs = std::filesystem;

// Every machine variable as the test found it, back when the test ends.
struct MachineVariablesKept {
    std::vector<std::unique_ptr<ScopedEnv>> kept;
    MachineVariablesKept() {
        for (const char* name : scratch::kMachineVariables)
            kept.push_back(std::make_unique<ScopedEnv>(name, environment(name)));
    }
};

// The folders a machine made in `base`.
std::vector<fs::path> machineFolders(const fs::path& base) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(base))
        if (entry.path().filename().string().rfind("mfglist-probe-", 0) == 0)
            found.push_back(entry.path());
    return found;
}

TEST(ScratchMachine, LaysOutItsDrivesEntersThemAloneAndLeavesNothing) {
    MachineVariablesKept variables;
    ScratchFolder base("scratch-base");
    ScopedEnv tmp("TMPDIR", base.hostFolder().string());
    setEnvironment("MFGLIST_WINVER", "6.0");
    setEnvironment("MFGLIST_FILES", "C:\\vrelDebug.flg=/elsewhere");
    {
        scratch::ScratchMachine machine("probe", "CDP");
        ASSERT_EQ(machine.problem(), "");
        const std::vector<fs::path> made = machineFolders(base.hostFolder());
        ASSERT_EQ(made.size(), 1u);
        const std::string root = made[0].string();
        EXPECT_EQ(environment("MFGLIST_DRIVES"),
                  "C=" + root + "/c;D=" + root + "/d;P=" + root + "/p");
        for (const char* name : {"MFGLIST_WINVER", "MFGLIST_FILES"})
            EXPECT_EQ(environment(name), std::nullopt) << name;
        for (const char* drive : {"c", "d", "p"}) EXPECT_TRUE(fs::is_directory(root + "/" + drive));
        EXPECT_EQ(machine.folder('D'), root + "/d");
        EXPECT_EQ(machine.native("P:\\PF\\MfgProc.ini"), root + "/p/PF/MfgProc.ini");
        EXPECT_EQ(machine.native("C:"), root + "/c");

        // What a run leaves, read-only parts too, goes with the machine.
        fs::create_directories(root + "/c/PF");
        std::ofstream(root + "/c/PF/MfgProc.ini") << "[PRELOAD]\r\n";
        fs::permissions(root + "/c/PF", fs::perms::owner_read | fs::perms::owner_exec);
    }
    EXPECT_TRUE(machineFolders(base.hostFolder()).empty());
}

TEST(ScratchMachine, NamesTheFolderItCannotMake) {
    MachineVariablesKept variables;
    ScopedEnv tmp("TMPDIR", "/nonexistent-scratch-base");
    scratch::ScratchMachine machine("probe");
    EXPECT_NE(machine.problem().find("/nonexistent-scratch-base/mfglist-probe-"), std::string::npos)
        << machine.problem();
}

TEST(ScratchDriveFolders, MadeByLetterAndNamedWhereOneCannotBe) {
    ScratchFolder root("drives");
    const scratch::DriveFolders made = scratch::makeDriveFolders(root.hostFolder(), "cD");
    ASSERT_FALSE(made.error);
    EXPECT_EQ(scratch::driveMapText(made.drives), "C=" + (root.hostFolder() / "c").string() +
                                                      ";D=" + (root.hostFolder() / "d").string());

    // A file where a drive's folder goes.
    std::ofstream(root.hostFolder() / "blocked") << "x";
    const scratch::DriveFolders failed =
        scratch::makeDriveFolders(root.hostFolder() / "blocked", "CD");
    EXPECT_TRUE(failed.error);
    EXPECT_EQ(failed.failed, root.hostFolder() / "blocked" / "c");
    EXPECT_TRUE(failed.drives.empty());

    // A folder that is gone (a stopped run removed it) stays gone.
    const scratch::DriveFolders gone = scratch::makeDriveFolders(root.hostFolder() / "gone", "C");
    EXPECT_TRUE(gone.error);
    EXPECT_FALSE(fs::exists(root.hostFolder() / "gone"));
}

}  // namespace
}  // namespace mfg::test
