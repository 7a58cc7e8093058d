// What a full machine does to a run, on Linux: a disk full where the tool
// writes (a small tmpfs, where the tests may mount one) and a full or
// missing TMPDIR.  The user's files stay byte for byte, nothing is left
// beside them, and the status says the machine let the run down, naming
// the folder.
#include <sys/mount.h>

#include <fstream>
#include <map>

#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

// A tmpfs of 64 KB mounted for one case and filled to its last byte.
class FullDisk {
public:
    explicit FullDisk(const fs::path& at) : at_(at) {
        fs::create_directories(at);
        mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~FullDisk() {
        if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    void fill() const {
        std::ofstream filler(at_ / "filler", std::ios::binary);
        const std::string block(4096, '\0');
        while (filler.write(block.data(), block.size()) && filler.flush()) {}
    }
    // Every file under the mount with its bytes, but the filler.
    std::map<std::string, std::string> files() const {
        std::map<std::string, std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(at_))
            if (entry.path().filename() != "filler")
                found[entry.path().lexically_relative(at_).string()] =
                    entry.is_regular_file() ? readText(entry.path()) : "<folder>";
        return found;
    }

private:
    fs::path at_;
    bool mounted_ = false;
};

#define REQUIRE_MOUNTED(disk)                                                              \
    if (!(disk).mounted())                                                                 \
    GTEST_SKIP() << "cannot mount a tmpfs here (not root?); the injected write faults of " \
                    "ToolFileWrites cover the same rule"

class ToolFullDisk : public ToolTest {
protected:
    fs::path models() const { return examples() / "models"; }
};

TEST_F(ToolFullDisk, AFullDiskKeepsEveryOutputAsItWasAndIsStatusOne) {
    const FullDisk disk(scratch / "full");
    REQUIRE_MOUNTED(disk);
    const fs::path full = scratch / "full";
    fs::create_directory(full / "lists");
    for (const char* name :
         {"list.ini", "report.html", "baseline.json", "ids.txt", "lists/kiosk-k1.ini"})
        writeText(full / name, std::string("old ") + name + "\n");
    disk.fill();
    const auto before = disk.files();
    const std::string cd = cdrom().string(), catalogue = models().string();
    const struct {
        const char* what;
        std::vector<std::string> args;
    } cases[] = {
        {"preview --output",
         {"preview", factory().string(), "--output", (full / "list.ini").string()}},
        {"explain --output",
         {"explain", factory().string(), "--output", (full / "list.ini").string()}},
        {"matrix --html",
         {"matrix", cd, "--cdrom", "--models", catalogue, "--html",
          (full / "report.html").string()}},
        {"matrix --lists",
         {"matrix", cd, "--cdrom", "--models", catalogue, "--lists", (full / "lists").string()}},
        {"impact --html",
         {"impact", cd, cd, "--cdrom", "--models", catalogue, "--html",
          (full / "report.html").string()}},
        {"lint --write-baseline",
         {"lint", factory().string(), "--baseline", (full / "baseline.json").string(),
          "--write-baseline"}},
        {"ids -o", {"ids", "--root", MFGLIST_SYSFS_FOLDER, "-o", (full / "ids.txt").string()}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome outcome = runTool(c.args);
        EXPECT_EQ(outcome.status, 1) << outcome.err;
        EXPECT_NE(outcome.err.find("No space left on device"), std::string::npos) << outcome.err;
        EXPECT_NE(outcome.err.find(full.string()), std::string::npos) << outcome.err;
        EXPECT_EQ(disk.files(), before);
    }
}

TEST_F(ToolFullDisk, AFullOrMissingTmpdirIsStatusOneNamingItOnEveryRun) {
    const FullDisk disk(scratch / "tmp");
    REQUIRE_MOUNTED(disk);
    disk.fill();
    const std::string tmpdir = (scratch / "tmp").string();
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string tmpdir;
        std::string says;
    } cases[] = {
        {"preview", {"preview", factory().string(), "--allow-empty"}, tmpdir, tmpdir + " (TMPDIR)"},
        {"preview", {"preview", factory().string()}, tmpdir, tmpdir + " (TMPDIR)"},
        {"matrix",
         {"matrix", cdrom().string(), "--cdrom", "--models", models().string()},
         tmpdir,
         tmpdir + " (TMPDIR)"},
        {"missing",
         {"preview", factory().string()},
         (scratch / "gone").string(),
         "TMPDIR names " + (scratch / "gone").string()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (int run = 0; run < 3; ++run) {
            const Outcome outcome = runTool(c.args, {{"TMPDIR", c.tmpdir}});
            EXPECT_EQ(outcome.status, 1) << outcome.err;
            expectOneErrorLine(outcome, c.says);
        }
    }
    EXPECT_EQ(disk.files(), (std::map<std::string, std::string>{}));
}

}  // namespace
}  // namespace mfgtool::test
