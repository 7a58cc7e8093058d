#include "common/stop_signals.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <thread>

namespace mfgtool {
namespace {

std::mutex& listMutex() {
    static std::mutex* const mutex = new std::mutex;
    return *mutex;
}

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

void stopWithParent(unsigned parent) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    // A parent gone before the request was made sends nothing.
    if (parent != 0 && ::getppid() != static_cast<pid_t>(parent)) ::kill(::getpid(), SIGTERM);
}

namespace stopping {

void installHandlers() {
    // Blocked in every thread, the signals wait for one thread of their own,
    // which may clean up as any thread can: a handler could not remove a
    // folder safely.  Children start with them unblocked again
    // (self_process.cpp).
    const sigset_t set = stopSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
        int signal = 0;
        while (::sigwait(&set, &signal) != 0) {}
        stopRun(128 + signal);
    }).detach();
}

void stopChild(std::intptr_t child) {
    const auto pid = static_cast<pid_t>(child);
    ::kill(pid, SIGTERM);
    // Time to remove its own scratch folders; the run's own waitpid may reap
    // it first, which ends the wait as well.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && ::kill(pid, 0) != 0)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
}

void endProcess(int status) { ::_exit(status); }

bool stopAsked() {
    sigset_t pending;
    if (::sigpending(&pending) != 0) return false;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        if (::sigismember(&pending, signal) == 1) return true;
    return false;
}

void sleepAWhile() { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }

void lockList() { listMutex().lock(); }

void unlockList() { listMutex().unlock(); }

}  // namespace stopping
}  // namespace mfgtool
