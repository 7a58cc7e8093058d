#include "common/stop_signals.h"

#include <windows.h>

namespace mfgtool {
namespace {

CRITICAL_SECTION& listSection() {
    static CRITICAL_SECTION* const section = [] {
        auto* made = new CRITICAL_SECTION;
        InitializeCriticalSection(made);
        return made;
    }();
    return *section;
}

BOOL WINAPI onConsoleEvent(DWORD event) {
    // The handler runs on a thread of its own, where cleaning up is safe.
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            stopping::stopRun(128 + 2);  // as SIGINT ends a run on POSIX
        case CTRL_CLOSE_EVENT:
            stopping::stopRun(128 + 1);  // as SIGHUP
        default:
            return FALSE;
    }
}

}  // namespace

void stopWithParent(unsigned) {
    // Workers live in the parent's job object, which ends them with it
    // (self_process.cpp).
}

namespace stopping {

void installHandlers() { SetConsoleCtrlHandler(onConsoleEvent, TRUE); }

void stopChild(std::intptr_t child) {
    // A worker on the same console has its own Ctrl-C and cleans up after
    // itself; one that does not end in time is ended.
    const HANDLE process = reinterpret_cast<HANDLE>(child);
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 128 + 15);
}

void endProcess(int status) { ExitProcess(static_cast<UINT>(status)); }

// The console's events come to a thread of their own, which begins the
// stop at once: none waits untaken.
bool stopAsked() { return false; }

void sleepAWhile() { Sleep(10); }

void lockList() { EnterCriticalSection(&listSection()); }

void unlockList() { LeaveCriticalSection(&listSection()); }

}  // namespace stopping
}  // namespace mfgtool
