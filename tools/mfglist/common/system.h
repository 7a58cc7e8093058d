// What the host needs of the operating system for itself (not for the
// library): where its program file is, the terminal, and the Windows machine
// that the library will see (run/machine.h).
#pragma once

#include <filesystem>
#include <string>

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
// nothing there.  Throws RunError when there is no temporary folder at all.
std::filesystem::path scratchBase();

// Whether command-line arguments arrive as UTF-8 (Linux) rather than in the
// ANSI code page (Windows).
bool argumentsAreUtf8();

// Writes UTF-8 text to standard output: to a terminal in the terminal's own
// encoding, to a file or pipe as UTF-8.
void writeStdout(const std::string& utf8);

}  // namespace mfgtool
