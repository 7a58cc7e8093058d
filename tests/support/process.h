// Starts a helper program of the test build (they live beside the test
// program) and waits for it, so that a test can run library code in several
// processes at the same time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mfg::test {

class ChildProcess {
public:
    // `program` is the helper's name without any extension.  The child
    // inherits the environment, so it sees the same drives.
    ChildProcess(std::string_view program, const std::vector<std::string>& args);
    ~ChildProcess();  // waits for a child that is still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return started_; }
    // Ends the child at once, wherever it is (SIGKILL, TerminateProcess);
    // wait() then reaps it.
    void kill();
    // The child's exit code; -1 when it did not start or did not exit.
    int wait();

private:
    bool started_ = false;
    std::uintptr_t handle_ = 0;  // a process id or a process handle
};

}  // namespace mfg::test
