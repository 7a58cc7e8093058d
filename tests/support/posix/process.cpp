#include "support/process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

#include "support/machine.h"

extern char** environ;

namespace mfg::test {

ChildProcess::ChildProcess(std::string_view program, const std::vector<std::string>& args) {
    const std::string path = programFolder() + "/" + std::string(program);
    std::vector<std::string> words{path};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) == 0) {
        started_ = true;
        handle_ = static_cast<std::uintptr_t>(pid);
    }
}

ChildProcess::~ChildProcess() { wait(); }

void ChildProcess::kill() {
    if (started_) ::kill(static_cast<pid_t>(handle_), SIGKILL);
}

int ChildProcess::wait() {
    if (!started_) return -1;
    started_ = false;
    int status = 0;
    while (::waitpid(static_cast<pid_t>(handle_), &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace mfg::test
