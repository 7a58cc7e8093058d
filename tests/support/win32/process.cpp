#include "support/process.h"

#include <windows.h>

#include "support/machine.h"

namespace mfg::test {

namespace {

// An inheritable handle on a stream file; null when none is asked for.
HANDLE streamHandle(const std::string& path, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE h = CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

}  // namespace

std::string helperProgram(std::string_view name) {
    return programFolder() + "\\" + std::string(name) + ".exe";
}

void ChildProcess::start(const std::string& program, const std::vector<std::string>& args) {
    std::string commandLine = quoteWindowsArgument(program);
    for (const std::string& arg : args) commandLine += " " + quoteWindowsArgument(arg);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    HANDLE handles[3] = {nullptr, nullptr, nullptr};
    if (streamFiles_) {
        const std::string folder = streamFiles_->path();
        handles[0] = streams_.input ? streamHandle(folder + kInput, false) : nullptr;
        handles[1] = streams_.keepOutput ? streamHandle(folder + kOutput, true) : nullptr;
        handles[2] = streams_.keepError ? streamHandle(folder + kError, true) : nullptr;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = handles[0] ? handles[0] : GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = handles[1] ? handles[1] : GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = handles[2] ? handles[2] : GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION info{};
    const BOOL inherit = streamFiles_ ? TRUE : FALSE;
    if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, inherit, 0, nullptr,
                       nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        started_ = true;
        handle_ = reinterpret_cast<std::uintptr_t>(info.hProcess);
    }
    for (HANDLE h : handles)
        if (h) CloseHandle(h);
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
    collect();
    return exited ? static_cast<int>(code) : -1;
}

}  // namespace mfg::test
