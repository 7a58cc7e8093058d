// Test-only switch for the file-call table (file_calls.h): counts the file
// calls of the platform layer and makes one of them fail with a chosen error,
// so that a test can run a whole list run with its Nth call failing, for
// every N, and see that nothing is lost in silence.
#pragma once

#include <cstdint>

namespace mfg::platform::testing {

enum FileCallKind : unsigned {
    kOpenCall = 1u << 0,
    kReadCall = 1u << 1,
    kWriteCall = 1u << 2,
    kFlushCall = 1u << 3,
    kRenameCall = 1u << 4,
    kCloseCall = 1u << 5,
    kAnyFileCall = 0x3Fu,
};

// From now on counts the calls of the kinds in `kinds` and makes call number
// `failAt` (from 1) fail with `error` (an errno value).  `failAt` 0 only
// counts.  A failing close still releases the descriptor, as the system's
// close does when it reports an error.
void injectFileFault(std::uint64_t failAt, int error, unsigned kinds = kAnyFileCall);

// Calls counted since injectFileFault, and whether the fault has been made.
std::uint64_t fileCallsCounted();
bool fileFaultMade();

// Puts the system's calls back.
void clearFileFault();

}  // namespace mfg::platform::testing
