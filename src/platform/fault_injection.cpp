#include "platform/fault_plan.h"

namespace mfg::platform::testing {
namespace {

struct Plan {
    std::uint64_t failAt = 0;
    int error = 0;
    unsigned kinds = 0;
    std::uint64_t counted = 0;
    bool made = false;
};
Plan g_plan;

}  // namespace

bool callFails(FileCallKind kind) {
    if (!(g_plan.kinds & kind)) return false;
    ++g_plan.counted;
    if (g_plan.failAt == 0 || g_plan.counted != g_plan.failAt) return false;
    g_plan.made = true;
    return true;
}

int plannedError() { return g_plan.error; }

void injectFileFault(std::uint64_t failAt, int error, unsigned kinds) {
    g_plan = Plan{failAt, error, kinds, 0, false};
    installFaultyFileCalls();
}

std::uint64_t fileCallsCounted() { return g_plan.counted; }
bool fileFaultMade() { return g_plan.made; }

void clearFileFault() {
    restoreSystemFileCalls();
    g_plan.failAt = 0;
    g_plan.kinds = 0;
}

}  // namespace mfg::platform::testing
