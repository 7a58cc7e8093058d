// The tool's one way of writing a user's file: whole beside it, then renamed
// over it.  Every step made to fail in turn (the injected fault stands for a
// full disk or a folder closed to the user) leaves the old file byte for
// byte and nothing beside it; and no output may be one of the run's inputs.
#include <gtest/gtest.h>

#include <cerrno>

#include "common/errors.h"
#include "common/file_writes.h"
#include "support/tool/run_tool.h"

namespace mfgtool::test {
namespace {

namespace faults = mfgtool::testing;

class ToolFileWrites : public ::testing::Test {
protected:
    void TearDown() override { faults::clearWriteFault(); }

    std::vector<std::string> namesInFolder() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        return names;
    }

    const ScratchFolder scratchFolder{"writes", ScratchPlace::hostTemp};
    const fs::path folder = scratchFolder.hostFolder();
    const fs::path target = folder / "list.ini";
};

TEST_F(ToolFileWrites, EveryFailedStepLeavesTheOldFileAndNothingBeside) {
    const std::string old = "[SYSTEM]\r\nCOUNT=0\r\n";
    // Over a megabyte: written in two pieces, so a disk that fills after the
    // first is met too.
    const std::string bytes(std::size_t{3} << 19, 'x');
    faults::injectWriteFault(0, 0);
    replaceFileWhole(target, bytes);
    const std::uint64_t steps = faults::writeStepsCounted();
    writeText(target, old);
    EXPECT_EQ(steps, 6u) << "create, two writes, flush, close, rename";
    for (const int error : {ENOSPC, EACCES}) {
        for (std::uint64_t failAt = 1; failAt <= steps; ++failAt) {
            SCOPED_TRACE("step " + std::to_string(failAt) + ", error " + std::to_string(error));
            faults::injectWriteFault(failAt, error);
            try {
                replaceFileWhole(target, bytes);
                ADD_FAILURE() << "no error";
            } catch (const RunError& e) {
                const std::string message = e.what();
                EXPECT_NE(message.find(target.string()), std::string::npos) << message;
                EXPECT_NE(message.find("in the folder " + folder.string()), std::string::npos)
                    << message;
                EXPECT_NE(message.find("is left as it was"), std::string::npos) << message;
            }
            EXPECT_EQ(readText(target), old);
            EXPECT_EQ(namesInFolder(), std::vector<std::string>{"list.ini"});
        }
    }
    faults::clearWriteFault();
    replaceFileWhole(target, bytes);
    EXPECT_EQ(readText(target), bytes);
    EXPECT_EQ(namesInFolder(), std::vector<std::string>{"list.ini"});
}

TEST_F(ToolFileWrites, ANewFileFailedLeavesNoFileAtAll) {
    faults::injectWriteFault(2, ENOSPC);
    EXPECT_THROW(replaceFileWhole(target, "new"), RunError);
    EXPECT_TRUE(namesInFolder().empty());
}

TEST_F(ToolFileWrites, ALinkKeepsLeadingToItsFileAndPermissionsStay) {
    const fs::path real = folder / "real.ini";
    writeText(real, "old");
    std::error_code ec;
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
                    ec);
    const fs::perms before = fs::status(real).permissions();
    fs::create_symlink("real.ini", target, ec);
    if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
    replaceFileWhole(target, "new");
    EXPECT_TRUE(fs::is_symlink(target));
    EXPECT_EQ(readText(real), "new");
    EXPECT_EQ(fs::status(real).permissions(), before);
    EXPECT_EQ(linkedFile(target), real);
}

TEST_F(ToolFileWrites, AnOutputThatIsAnInputIsRefusedNamingBoth) {
    const fs::path input = folder / "MfgProc.ini";
    writeText(input, "[PRELOAD]\r\n");
    writeText(folder / "other.ini", "");
    std::error_code ec;
    fs::create_directory(folder / "sub");
    fs::create_symlink(input, folder / "link.ini", ec);
    const bool links = !ec;
    fs::create_hard_link(input, folder / "hard.ini", ec);
    const bool hardLinks = !ec;
    const struct {
        const char* what;
        fs::path output;
        bool refused;
        bool applies;
    } cases[] = {
        {"the same path", input, true, true},
        {"another spelling", folder / "sub" / ".." / "MfgProc.ini", true, true},
        {"a link to it", folder / "link.ini", true, links},
        {"a hard link to it", folder / "hard.ini", true, hardLinks},
        {"another file", folder / "other.ini", false, true},
        {"a new file", folder / "new.ini", false, true},
    };
    for (const auto& c : cases) {
        if (!c.applies) continue;
        SCOPED_TRACE(c.what);
        try {
            refuseOutputOverInput(c.output, "--output", {{input, "the process file"}});
            EXPECT_FALSE(c.refused);
        } catch (const UsageError& e) {
            EXPECT_TRUE(c.refused);
            const std::string message = e.what();
            EXPECT_NE(message.find("--output " + c.output.string()), std::string::npos) << message;
            EXPECT_NE(message.find("the process file " + input.string()), std::string::npos)
                << message;
        }
    }
    EXPECT_EQ(readText(input), "[PRELOAD]\r\n");
}

}  // namespace
}  // namespace mfgtool::test
