// A run stopped from outside, on Linux: SIGINT, SIGTERM or SIGHUP to
// preview or to matrix's parent, SIGINT to matrix's whole process group,
// and SIGKILL to matrix's parent.  The run ends with 128 + the signal and
// leaves no scratch folder and no worker process behind.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/tool/tool_fixture.h"

extern char** environ;

namespace mfgtool::test {
namespace {

using namespace std::chrono_literals;

// The tool started in a process group of its own, with its own TMPDIR.
class StoppedRun {
public:
    StoppedRun(const std::vector<std::string>& args, const fs::path& tmpdir) : tmpdir_(tmpdir) {
        std::vector<std::string> all = {toolFile().string()};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all) argv.push_back(arg.data());
        argv.push_back(nullptr);
        std::vector<std::string> env = {"TMPDIR=" + tmpdir.string()};
        for (char** e = environ; *e; ++e)
            if (std::string(*e).rfind("TMPDIR=", 0) != 0) env.push_back(*e);
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        started_ =
            posix_spawn(&pid_, all[0].c_str(), nullptr, &attributes, argv.data(), envp.data()) == 0;
        posix_spawnattr_destroy(&attributes);
    }
    bool started() const { return started_; }
    pid_t pid() const { return pid_; }

    // Waits until the run's scratch folders number at least `folders`.
    bool waitForFolders(std::size_t folders) const {
        for (auto until = std::chrono::steady_clock::now() + 30s;
             std::chrono::steady_clock::now() < until;) {
            if (folderCount() >= folders) return true;
            std::this_thread::sleep_for(2ms);
        }
        return false;
    }
    // With `butTheParents`, the folders of the started process itself are
    // not counted.
    std::size_t folderCount(bool butTheParents = false) const {
        const std::string parents = "mfglist-" + std::to_string(pid_) + "-";
        std::error_code ec;
        std::size_t n = 0;
        for (fs::directory_iterator it(tmpdir_, ec), end; !ec && it != end; it.increment(ec))
            if (!butTheParents || it->path().filename().string().rfind(parents, 0) != 0) ++n;
        return n;
    }
    // Workers' result files anywhere in TMPDIR: a worker writes its result
    // only when it has run its whole share.
    std::size_t workerResults() const {
        std::size_t n = 0;
        std::error_code ec;
        for (fs::recursive_directory_iterator it(tmpdir_, ec), end; !ec && it != end;
             it.increment(ec))
            if (it->path().filename().string().rfind("result-", 0) == 0) ++n;
        return n;
    }
    int waitForExit() {
        int waited = 0;
        if (::waitpid(pid_, &waited, 0) != pid_) return -1;
        return WIFEXITED(waited) ? WEXITSTATUS(waited) : 128 + WTERMSIG(waited);
    }
    // Processes that still carry this run's TMPDIR in their environment.
    std::size_t processesLeft() const {
        const std::string mark = "TMPDIR=" + tmpdir_.string();
        std::size_t left = 0;
        std::error_code ec;
        for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) continue;
            const std::string environment = readText(it->path() / "environ");
            for (std::size_t at = 0; at < environment.size();) {
                const std::size_t stop = std::min(environment.find('\0', at), environment.size());
                if (environment.compare(at, stop - at, mark) == 0) ++left;
                at = stop + 1;
            }
        }
        return left;
    }
    // No process and no folder left within a while (with `butTheParents`,
    // none of the workers'): the workers clean up as they stop.
    void expectNothingLeft(bool butTheParents) const {
        for (auto until = std::chrono::steady_clock::now() + 20s;
             std::chrono::steady_clock::now() < until &&
             (processesLeft() || folderCount(butTheParents));)
            std::this_thread::sleep_for(20ms);
        EXPECT_EQ(processesLeft(), 0u);
        EXPECT_EQ(folderCount(butTheParents), 0u);
    }

private:
    fs::path tmpdir_;
    pid_t pid_ = 0;
    bool started_ = false;
};

class ToolStopped : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        // Large enough that each run takes a good part of a second.
        std::string text = "[PRELOAD]\r\nLOG_FILE=C:\\LOG.TXT\r\n";
        for (int i = 0; i < 20000; ++i)
            text += "[E" + std::to_string(i) + "]\r\nGROUP=PRELOAD\r\nTYPE=VGA\r\nNAME=Entry " +
                    std::to_string(i) + "\r\nEXEPATH=$TESTDIR\\E" + std::to_string(i) + ".EXE\r\n";
        writeText(factory() / "MfgProc.ini", text);
        fs::create_directory(tmpdir);
    }
    std::vector<std::string> matrix() const {
        return {"matrix",   factory().string(),
                "--models", (examples() / "models").string(),
                "--jobs",   "2"};
    }
    const fs::path tmpdir = scratch / "tmp";
};

TEST_F(ToolStopped, EachStopEndsTheRunWithItsStatusAndLeavesNothing) {
    // SIGKILL cannot be handled: the parent's own folders stay, but its
    // workers see it gone and stop, cleaning up after themselves.
    const struct {
        const char* what;
        bool line;
        int signal;
        bool group;
    } cases[] = {
        {"SIGINT to preview", false, SIGINT, false},
        {"SIGTERM to preview", false, SIGTERM, false},
        {"SIGHUP to preview", false, SIGHUP, false},
        {"SIGTERM to matrix's parent", true, SIGTERM, false},
        {"SIGINT to matrix's whole group", true, SIGINT, true},
        {"SIGKILL to matrix's parent", true, SIGKILL, false},
    };
    // Each a few times: a stop that meets the run between two steps (a
    // folder registered but not yet made, workers gone before the parent's
    // own signal is taken up) must end it as cleanly as any other.
    for (int round = 0; round < 3; ++round)
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            StoppedRun run(
                c.line ? matrix() : std::vector<std::string>{"preview", factory().string()},
                tmpdir);
            ASSERT_TRUE(run.started());
            // matrix: its exchange folder and both workers' scratch machines.
            ASSERT_TRUE(run.waitForFolders(c.line ? 3 : 1));
            ::kill(c.group ? -run.pid() : run.pid(), c.signal);
            EXPECT_EQ(run.waitForExit(), 128 + c.signal);
            run.expectNothingLeft(c.signal == SIGKILL);
            // Nor did a worker finish its share once its parent was gone.
            EXPECT_EQ(run.workerResults(), 0u);
            fs::remove_all(tmpdir);
            fs::create_directory(tmpdir);
        }
}

}  // namespace
}  // namespace mfgtool::test
