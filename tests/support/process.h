// Starts a program as a child process and waits for it, so that a test can
// run library code in several processes at once, kill one part-way, or see
// what a program (the built tool, a browser) prints.  Both builds:
// posix_spawn and CreateProcessA.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mfg::test {

class ScratchFolder;

// Variables set for a child only, in order; nullopt removes one.
using EnvironmentChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;

// A child's standard streams: inherited from the test program, unless the
// child is given text for its input or asked to keep its output and error.
// The child inherits the environment, so it sees the same drives, with
// `environment` applied.
struct ChildSetup {
    std::optional<std::string> input;
    bool keepOutput = false;
    bool keepError = false;
    EnvironmentChanges environment;
};

class ChildProcess {
public:
    // Starts `program` (a host path) with `args`.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const ChildSetup& setup = {});
    ~ChildProcess();  // waits for a child that is still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return started_; }
    // Ends the child at once, wherever it is (SIGKILL, TerminateProcess);
    // wait() then reaps it.
    void kill();
    // The child's exit code; -1 when it did not start or did not exit.
    int wait();
    // What the child wrote, once wait() has returned ("" unless kept).
    const std::string& output() const { return output_; }
    const std::string& error() const { return error_; }

private:
    // The files of the streams in streamFiles_.
    static constexpr char kInput[] = "IN", kOutput[] = "OUT", kError[] = "ERR";

    void start(const std::string& program, const std::vector<std::string>& args);
    void collect();

    bool started_ = false;
    std::uintptr_t handle_ = 0;  // a process id or a process handle
    ChildSetup setup_;
    std::unique_ptr<ScratchFolder> streamFiles_;  // the kept streams, as files
    std::string output_, error_;
};

// A helper program of the test build (they live beside the test program),
// by its name without any extension.
std::string helperProgram(std::string_view name);

}  // namespace mfg::test
