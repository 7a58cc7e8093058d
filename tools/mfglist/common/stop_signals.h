// A run stopped from outside (Ctrl-C or Ctrl-Break, a cancelled CI job's
// SIGTERM, a closed terminal's SIGHUP) leaves nothing behind: its scratch
// folders and half-written files are removed, its worker processes stopped
// with it, and it ends with the conventional status (128 + the signal: 130,
// 143, 129).  A worker whose parent is gone stops by itself the same way.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

namespace mfgtool {

// Called once by main(), before anything is made or started.
void handleStopSignals();

// For a worker process: stop, as if signalled, when its parent (`parent`,
// the process id the parent gave; 0 when none) is gone, also when it went
// before the worker got this far.
void stopWithParent(unsigned parent);

// While one lives, `path` (a folder with everything in it, or a file) is
// removed when the run is stopped.  `make` makes it while no stop can begin:
// a stop then finds it made and removes it, or holds the run before it is
// made, so that a stop between the two never leaves it behind.
class RemovedIfStopped {
public:
    RemovedIfStopped(std::filesystem::path path, const std::function<void()>& make);
    ~RemovedIfStopped();
    RemovedIfStopped(const RemovedIfStopped&) = delete;
    RemovedIfStopped& operator=(const RemovedIfStopped&) = delete;

private:
    std::filesystem::path path_;
};

// Called as the run ends by itself, before it says anything: a run that a
// stop has begun to clean up waits there for the stop to end it, with the
// stop's status, whatever the cleanup made the run itself fail with.
void waitForAnyStop();

// A child process (a process id, or a process handle on Windows) stopped
// with the run, and waited for so that it can clean up after itself, until
// it is forgotten.
void stopChildWithRun(std::intptr_t child);
void forgetChild(std::intptr_t child);

// The platform's half: what main() installs, and how a child is stopped.
namespace stopping {
// Called on the platform's signal thread or handler: cleans up and ends
// the process with `status`; never returns.
[[noreturn]] void stopRun(int status);
void installHandlers();
void stopChild(std::intptr_t child);       // asks it to stop and waits a while
[[noreturn]] void endProcess(int status);  // without running anything more
// The lock of what a stopped run undoes (the Windows build's threads have
// no std::mutex).
void lockList();
void unlockList();
// Whether a stop was asked for that the platform's handler has not yet taken
// up (a signal still pending for the process).
bool stopAsked();
void sleepAWhile();
}  // namespace stopping

}  // namespace mfgtool
