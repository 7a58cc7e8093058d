#include "support/process.h"

#include <windows.h>

#include "support/machine.h"

namespace mfg::test {
namespace {

// One argument as the C run-time's command-line parser reads it back.
std::string quoted(const std::string& arg) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

}  // namespace

ChildProcess::ChildProcess(std::string_view program, const std::vector<std::string>& args) {
    const std::string path = programFolder() + "\\" + std::string(program) + ".exe";
    std::string commandLine = quoted(path);
    for (const std::string& arg : args) commandLine += " " + quoted(arg);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        started_ = true;
        handle_ = reinterpret_cast<std::uintptr_t>(info.hProcess);
    }
}

ChildProcess::~ChildProcess() { wait(); }

void ChildProcess::kill() {
    if (started_) TerminateProcess(reinterpret_cast<HANDLE>(handle_), 1);
}

int ChildProcess::wait() {
    if (!started_) return -1;
    started_ = false;
    const HANDLE process = reinterpret_cast<HANDLE>(handle_);
    DWORD code = 0;
    const bool exited = WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 &&
                        GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return exited ? static_cast<int>(code) : -1;
}

}  // namespace mfg::test
