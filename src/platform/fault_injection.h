// Test-only switch for the file-call tables of both platforms
// (posix/file_calls.h, win32/file_calls.h): counts the file calls of the
// platform layer and makes one of them fail with a chosen error, so that a
// test can run a whole list run with its Nth call failing, for every N, and
// see that nothing is lost in silence.  The same switch serves the POSIX
// build and the Windows one, so the suite injects the same faults in both.
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
    // The calls that open, read, write and replace files, whose every
    // failure must leave the old list or the whole new one.
    kAnyFileCall = 0x3Fu,
    // Asking after a file or folder (stat, lstat; GetFileAttributesA,
    // FindFirstFileA), listing a folder (opendir, readdir), and removing a
    // file (unlink, DeleteFileA).  Not in kAnyFileCall: a failed existence
    // test reads as a missing file, which the library answers by design
    // (a missing process file is CD-ROM mode), so these have tests of their own.
    kStatCall = 1u << 6,
    kListCall = 1u << 7,
    kUnlinkCall = 1u << 8,
};

// From now on counts the calls of the kinds in `kinds` and makes call number
// `failAt` (from 1) fail with `error`, an errno value (EIO, ENOSPC, EXDEV,
// EACCES ...); the Windows build fails the call with the matching system
// error (ERROR_READ_FAULT, ERROR_DISK_FULL ...).  `failAt` 0 only
// counts.  A failing close still releases the descriptor, as the system's
// close does when it reports an error.
void injectFileFault(std::uint64_t failAt, int error, unsigned kinds = kAnyFileCall);

// Calls counted since injectFileFault, and whether the fault has been made.
std::uint64_t fileCallsCounted();
bool fileFaultMade();

// Puts the system's calls back.  The count and whether the fault was made
// stay readable until the next injectFileFault, so that a test can count a
// whole run's calls first and then fail each of them in turn.
void clearFileFault();

}  // namespace mfg::platform::testing
