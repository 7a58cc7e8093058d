#include "run/self_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>

#include "common/stop_signals.h"

extern char** environ;

namespace mfgtool {
namespace {

std::vector<char*> argvOf(std::vector<std::string>& args) {
    std::vector<char*> pointers;
    for (std::string& arg : args) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    return pointers;
}

int statusOf(int waited) {
    return WIFEXITED(waited) ? WEXITSTATUS(waited) : 128 + WTERMSIG(waited);
}

// A child starts with the signals this program waits for on a thread of
// its own (stop_signals.cpp) unblocked and handled as by default.
struct ChildAttributes {
    posix_spawnattr_t attributes;
    ChildAttributes() {
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        sigset_t stops;
        sigemptyset(&stops);
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal);
        posix_spawnattr_setsigdefault(&attributes, &stops);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~ChildAttributes() { posix_spawnattr_destroy(&attributes); }
};

}  // namespace

std::vector<int> runSelfInParallel(const std::vector<std::vector<std::string>>& argLists,
                                   unsigned jobs) {
    std::error_code ec;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    std::vector<int> statuses(argLists.size(), -1);
    std::map<pid_t, std::size_t> running;
    const ChildAttributes child;
    std::size_t next = 0;
    while (next < argLists.size() || !running.empty()) {
        while (next < argLists.size() && running.size() < std::max(jobs, 1u)) {
            std::vector<std::string> args = {self};
            args.insert(args.end(), argLists[next].begin(), argLists[next].end());
            std::vector<char*> argv = argvOf(args);
            pid_t pid = 0;
            if (posix_spawn(&pid, self.c_str(), nullptr, &child.attributes, argv.data(), environ) ==
                0) {
                running[pid] = next;
                stopChildWithRun(pid);
            }
            ++next;
        }
        if (running.empty()) continue;
        int waited = 0;
        const pid_t pid = waitpid(-1, &waited, 0);
        if (pid < 0) break;
        const auto found = running.find(pid);
        if (found == running.end()) continue;
        statuses[found->second] = statusOf(waited);
        forgetChild(pid);
        running.erase(found);
    }
    return statuses;
}

int runCapturing(const std::string& program, const std::vector<std::string>& args,
                 std::string& output, std::string* errors) {
    int outEnds[2];
    int errEnds[2] = {-1, -1};
    if (pipe(outEnds) != 0) return -1;
    if (errors && pipe(errEnds) != 0) {
        close(outEnds[0]);
        close(outEnds[1]);
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outEnds[1], 1);
    posix_spawn_file_actions_addclose(&actions, outEnds[0]);
    if (errors) {
        posix_spawn_file_actions_adddup2(&actions, errEnds[1], 2);
        posix_spawn_file_actions_addclose(&actions, errEnds[0]);
    } else {
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    std::vector<std::string> all = {program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv = argvOf(all);
    pid_t pid = 0;
    const ChildAttributes child;
    const int failed =
        posix_spawnp(&pid, program.c_str(), &actions, &child.attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outEnds[1]);
    if (errors) close(errEnds[1]);
    if (failed) {
        close(outEnds[0]);
        if (errors) close(errEnds[0]);
        return -1;
    }
    output.clear();
    if (errors) errors->clear();
    // Both streams drained together: a child that fills one pipe while the
    // other is read would wait for ever.
    std::vector<std::pair<int, std::string*>> open = {{outEnds[0], &output}};
    if (errors) open.push_back({errEnds[0], errors});
    char buffer[65536];
    while (!open.empty()) {
        std::vector<pollfd> waits;
        for (const auto& [fd, into] : open) waits.push_back({fd, POLLIN, 0});
        if (poll(waits.data(), waits.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (std::size_t i = waits.size(); i-- > 0;) {
            if (!waits[i].revents) continue;
            const ssize_t n = read(open[i].first, buffer, sizeof buffer);
            if (n > 0) {
                open[i].second->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(open[i].first);
                open.erase(open.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
    }
    for (const auto& [fd, into] : open) close(fd);
    int waited = 0;
    if (waitpid(pid, &waited, 0) != pid) return -1;
    // posix_spawnp reports a missing program as exit status 127 of the child.
    return statusOf(waited) == 127 ? -1 : statusOf(waited);
}

}  // namespace mfgtool
