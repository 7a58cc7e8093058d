#include "stop_signals.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

struct StopList {
    std::vector<fs::path> paths;
    std::vector<std::intptr_t> children;
};

// Set as a stop begins; from then on the process ends with the stop.
std::atomic<bool> g_stopBegun{false};

StopList& stopList() {
    // Never destroyed: a signal may come while static objects go away.
    static StopList* const list = new StopList;
    return *list;
}

struct ListHeld {
    ListHeld() { stopping::lockList(); }
    ~ListHeld() { stopping::unlockList(); }
    ListHeld(const ListHeld&) = delete;
    ListHeld& operator=(const ListHeld&) = delete;
};

void removeNow(const fs::path& path) {
    // The run goes on beside the cleanup until the process ends, and may
    // add a file to a folder being removed: removed again until it is gone.
    std::error_code ec;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::remove_all(path, ec);
        if (!fs::exists(fs::symlink_status(path, ec))) return;
    }
}

}  // namespace

void handleStopSignals() { stopping::installHandlers(); }

RemovedIfStopped::RemovedIfStopped(fs::path path, const std::function<void()>& make)
    : path_(std::move(path)) {
    StopList& list = stopList();
    const ListHeld held;
    list.paths.push_back(path_);
    make();
}

RemovedIfStopped::~RemovedIfStopped() {
    StopList& list = stopList();
    const ListHeld held;
    const auto at = std::find(list.paths.rbegin(), list.paths.rend(), path_);
    if (at != list.paths.rend()) list.paths.erase(std::next(at).base());
}

void waitForAnyStop() {
    // A signal sent to the whole group reaches the workers too: they end
    // with their stop, and the run sees them fail before its own handler
    // has taken up its signal.
    while (g_stopBegun || stopping::stopAsked()) stopping::sleepAWhile();
    // A stop holds the list until the process ends.
    const ListHeld held;
}

void stopChildWithRun(std::intptr_t child) {
    StopList& list = stopList();
    const ListHeld held;
    list.children.push_back(child);
}

void forgetChild(std::intptr_t child) {
    StopList& list = stopList();
    const ListHeld held;
    list.children.erase(std::remove(list.children.begin(), list.children.end(), child),
                        list.children.end());
}

namespace stopping {

void stopRun(int status) {
    g_stopBegun = true;
    StopList& list = stopList();
    // Held to the end: nothing new is registered, so nothing new is made.
    stopping::lockList();
    for (const std::intptr_t child : list.children) stopChild(child);
    for (auto path = list.paths.rbegin(); path != list.paths.rend(); ++path) removeNow(*path);
    endProcess(status);
}

}  // namespace stopping
}  // namespace mfgtool
