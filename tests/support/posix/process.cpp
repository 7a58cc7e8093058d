#include "support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

#include "support/machine.h"

extern char** environ;

namespace mfg::test {

std::string helperProgram(std::string_view name) {
    return programFolder() + "/" + std::string(name);
}

void ChildProcess::start(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    if (streamFiles_) {
        const std::filesystem::path folder = streamFiles_->hostFolder();
        const std::string in = folder / kInput, out = folder / kOutput, err = folder / kError;
        if (setup_.input) ::posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        if (setup_.keepOutput)
            ::posix_spawn_file_actions_addopen(&actions, 1, out.c_str(),
                                               O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (setup_.keepError)
            ::posix_spawn_file_actions_addopen(&actions, 2, err.c_str(),
                                               O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    pid_t pid = 0;
    if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        started_ = true;
        handle_ = static_cast<std::uintptr_t>(pid);
    }
    ::posix_spawn_file_actions_destroy(&actions);
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
    collect();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace mfg::test
