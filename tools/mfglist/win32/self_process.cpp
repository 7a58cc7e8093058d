#include "run/self_process.h"

#include <windows.h>

#include <algorithm>

#include "argument_quoting.h"
#include "common/stop_signals.h"

namespace mfgtool {
namespace {

// The job the workers run in: closed with this process, however it ends,
// it ends them too, so that no worker outlives the run that started it.
HANDLE workerJob() {
    static const HANDLE job = [] {
        HANDLE made = CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (made)
            SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits,
                                    sizeof limits);
        return made;
    }();
    return job;
}

HANDLE start(const char* application, std::string commandLine, HANDLE output,
             HANDLE errors = nullptr, bool inJob = false) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = errors ? errors : GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION process{};
    // Put in the job before it runs a single instruction.
    const DWORD flags = inJob ? CREATE_SUSPENDED : 0;
    if (!CreateProcessA(application, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                        nullptr, &startup, &process))
        return nullptr;
    if (inJob) {
        if (HANDLE job = workerJob()) AssignProcessToJobObject(job, process.hProcess);
        ResumeThread(process.hThread);
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

// A pipe read to its end into a string, and closed.
struct Drain {
    HANDLE from;
    std::string* into;
};

DWORD WINAPI drainThread(void* argument) {
    const Drain& drain = *static_cast<Drain*>(argument);
    drain.into->clear();
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(drain.from, buffer, sizeof buffer, &got, nullptr) && got > 0)
        drain.into->append(buffer, got);
    CloseHandle(drain.from);
    return 0;
}

int exitCodeOf(HANDLE process) {
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return static_cast<int>(code);
}

}  // namespace

std::vector<int> runSelfInParallel(const std::vector<std::vector<std::string>>& argLists,
                                   unsigned jobs) {
    char buffer[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    const std::string self(buffer, n);
    // WaitForMultipleObjects waits for at most 64 handles.
    const std::size_t most = std::min<std::size_t>(std::max(jobs, 1u), MAXIMUM_WAIT_OBJECTS);
    std::vector<int> statuses(argLists.size(), -1);
    std::vector<HANDLE> handles;
    std::vector<std::size_t> indexes;
    std::size_t next = 0;
    while (next < argLists.size() || !handles.empty()) {
        while (next < argLists.size() && handles.size() < most) {
            if (HANDLE process = start(self.c_str(), commandLineOf(self, argLists[next]), nullptr,
                                       nullptr, true)) {
                stopChildWithRun(reinterpret_cast<std::intptr_t>(process));
                handles.push_back(process);
                indexes.push_back(next);
            }
            ++next;
        }
        if (handles.empty()) continue;
        const DWORD done = WaitForMultipleObjects(static_cast<DWORD>(handles.size()),
                                                  handles.data(), FALSE, INFINITE);
        if (done >= WAIT_OBJECT_0 + handles.size()) break;
        const std::size_t at = done - WAIT_OBJECT_0;
        forgetChild(reinterpret_cast<std::intptr_t>(handles[at]));
        statuses[indexes[at]] = exitCodeOf(handles[at]);
        handles.erase(handles.begin() + static_cast<std::ptrdiff_t>(at));
        indexes.erase(indexes.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return statuses;
}

int runCapturing(const std::string& program, const std::vector<std::string>& args,
                 std::string& output, std::string* errors) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    HANDLE errorRead = nullptr;
    HANDLE errorWrite = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    if (errors) {
        if (!CreatePipe(&errorRead, &errorWrite, &inherit, 0)) {
            CloseHandle(readEnd);
            CloseHandle(writeEnd);
            return -1;
        }
        SetHandleInformation(errorRead, HANDLE_FLAG_INHERIT, 0);
    }
    HANDLE process = start(nullptr, commandLineOf(program, args), writeEnd, errorWrite);
    CloseHandle(writeEnd);
    if (errorWrite) CloseHandle(errorWrite);
    if (!process) {
        CloseHandle(readEnd);
        if (errorRead) CloseHandle(errorRead);
        return -1;
    }
    // The standard error read on a thread of its own beside the output: a
    // child that fills one pipe while the other is read would wait for ever.
    Drain errorDrain{errorRead, errors};
    HANDLE errorThread =
        errors ? CreateThread(nullptr, 0, drainThread, &errorDrain, 0, nullptr) : nullptr;
    Drain outputDrain{readEnd, &output};
    drainThread(&outputDrain);
    if (errors && !errorThread) drainThread(&errorDrain);  // no thread: after the output
    if (errorThread) {
        WaitForSingleObject(errorThread, INFINITE);
        CloseHandle(errorThread);
    }
    WaitForSingleObject(process, INFINITE);
    return exitCodeOf(process);
}

}  // namespace mfgtool
