// Where the tool makes its scratch folders on Linux: the folder the user
// names in TMPDIR, else the file system in memory when it has room.
#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "common/system.h"
#include "support/machine.h"

namespace mfgtool::test {
namespace {

// Sets or removes TMPDIR for one case, and puts it back.
class TmpdirFor {
public:
    explicit TmpdirFor(const std::optional<std::string>& value) {
        if (const char* was = std::getenv("TMPDIR")) was_ = was;
        if (value)
            ::setenv("TMPDIR", value->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }
    ~TmpdirFor() {
        if (was_)
            ::setenv("TMPDIR", was_->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

private:
    std::optional<std::string> was_;
};

bool memoryHasRoom() {
    struct statvfs room {};
    return ::access("/dev/shm", W_OK | X_OK) == 0 && ::statvfs("/dev/shm", &room) == 0 &&
           static_cast<unsigned long long>(room.f_bavail) * room.f_frsize >= (2ull << 30);
}

TEST(ToolScratchBase, ANamedTemporaryFolderWinsElseMemoryWhenItHasRoom) {
    const mfg::test::ScratchFolder named("base", mfg::test::ScratchPlace::hostTemp);
    {
        TmpdirFor tmpdir(named.hostFolder().string());
        EXPECT_EQ(scratchBase(), named.hostFolder());
    }
    for (const std::optional<std::string>& unnamed :
         {std::optional<std::string>(), std::optional<std::string>("")}) {
        TmpdirFor tmpdir(unnamed);
        EXPECT_EQ(scratchBase(), memoryHasRoom() ? std::filesystem::path("/dev/shm")
                                                 : std::filesystem::temp_directory_path());
    }
}

}  // namespace
}  // namespace mfgtool::test
