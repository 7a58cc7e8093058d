// What the host needs of the operating system for itself (not for the
// library): where its program file is, the terminal, and the Windows machine
// that the library will see (run/machine.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace mfgtool {

// The folder of the running program file.
std::filesystem::path programFolder();

// Columns of the terminal that standard output writes to; 0 when it is not a
// terminal.
int terminalColumns();

unsigned processId();

// The folder the tool makes its scratch folders in (scratch machines, side
// traces, the matrix's exchange files).  Nothing there needs to survive a
// power cut, so where the system keeps a file system in memory with room to
// spare, and the user has not named a temporary folder, that is the place:
// the library's durable list commit and the removal of each run's files cost
// nothing there.  Throws RunError when there is no temporary folder at all,
// naming the variable that names a folder that is not there.
std::filesystem::path scratchBase();

// `base` for the user, with the environment variable that chose it, if
// one did: "/mnt/small (TMPDIR)".
std::string scratchBaseText(const std::filesystem::path& base);

// Whether command-line arguments arrive as UTF-8 (Linux) rather than in the
// ANSI code page (Windows).
bool argumentsAreUtf8();

// Writes UTF-8 text to standard output: to a terminal in the terminal's own
// encoding, to a file or pipe as UTF-8.
void writeStdout(const std::string& utf8);

// The system calls of a file written whole (file_writes.h).  Each sets `ec`
// to the system's reason when it fails.
using NativeFile = std::intptr_t;
// Creates `path`, which must not exist yet, for writing.
NativeFile createNewFile(const std::filesystem::path& path, std::error_code& ec);
// Writes all of `bytes` (a part written is retried, an interruption too).
void writeToFile(NativeFile file, std::string_view bytes, std::error_code& ec);
// Puts what was written on the disk: a full disk that the write did not
// report yet is reported here.
void flushToDisk(NativeFile file, std::error_code& ec);
// Always releases the file, also when it reports an error.
void closeFile(NativeFile file, std::error_code& ec);
// Moves `from` over `to` in one step: a reader sees one or the other.
void renameOver(const std::filesystem::path& from, const std::filesystem::path& to,
                std::error_code& ec);

}  // namespace mfgtool
