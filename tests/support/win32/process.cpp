#include "support/process.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "mfglist/win32/argument_quoting.h"
#include "support/machine.h"

namespace mfg::test {

namespace {

// An inheritable handle on a stream file; null when none is asked for.
HANDLE streamHandle(const std::string& path, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE h = CreateFileA(
        path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
        &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

}  // namespace

std::string helperProgram(std::string_view name) {
    return programFolder() + "\\" + std::string(name) + ".exe";
}

void ChildProcess::start(const std::string& program, const std::vector<std::string>& args) {
    std::string application = program;
    std::replace(application.begin(), application.end(), '/', '\\');
    std::string commandLine = mfgtool::commandLineOf(application, args);
    PROCESS_INFORMATION info{};
    // Under a busy Wine server a start now and then fails for a moment (the
    // suite has seen it once in many runs): a few tries tell that apart
    // from a program that cannot start, whose reason is then printed.
    constexpr int kTries = 4;
    for (int attempt = 0; attempt < kTries && !started_; ++attempt) {
        if (attempt > 0) Sleep(250);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        HANDLE handles[3] = {nullptr, nullptr, nullptr};
        if (streamFiles_) {
            const std::string folder = streamFiles_->path();
            handles[0] = setup_.input ? streamHandle(folder + kInput, false) : nullptr;
            handles[1] = setup_.keepOutput ? streamHandle(folder + kOutput, true) : nullptr;
            handles[2] = setup_.keepError ? streamHandle(folder + kError, true) : nullptr;
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdInput = handles[0] ? handles[0] : GetStdHandle(STD_INPUT_HANDLE);
            startup.hStdOutput = handles[1] ? handles[1] : GetStdHandle(STD_OUTPUT_HANDLE);
            startup.hStdError = handles[2] ? handles[2] : GetStdHandle(STD_ERROR_HANDLE);
        }
        const BOOL inherit = streamFiles_ ? TRUE : FALSE;
        started_ = CreateProcessA(application.c_str(), commandLine.data(), nullptr, nullptr,
                                  inherit, 0, nullptr, nullptr, &startup, &info) != FALSE;
        const DWORD reason = started_ ? 0 : GetLastError();
        for (HANDLE h : handles)
            if (h) CloseHandle(h);
        if (!started_)
            std::fprintf(stderr, "ChildProcess: cannot start %s (error %lu), try %d of %d\n",
                         commandLine.c_str(), static_cast<unsigned long>(reason), attempt + 1,
                         kTries);
    }
    if (!started_) return;
    CloseHandle(info.hThread);
    handle_ = reinterpret_cast<std::uintptr_t>(info.hProcess);
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
