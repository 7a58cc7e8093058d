// The plan behind the fault-injection switch (fault_injection.h), shared by
// the POSIX and Windows file-call tables: which kinds of call are counted,
// which one fails and with what error.  Each platform's faulty calls ask
// `callFails` and report the failure the way their system call would.
#pragma once

#include <cstdint>

#include "platform/fault_injection.h"

namespace mfg::platform::testing {

// Counts this call when its kind is planned; true when it is the one to fail.
bool callFails(FileCallKind kind);

// The errno value the planned call fails with.
int plannedError();

// Each platform's half: route its file-call table through the faulty calls,
// or back to the system's.
void installFaultyFileCalls();
void restoreSystemFileCalls();

}  // namespace mfg::platform::testing
