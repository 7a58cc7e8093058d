// What the host needs of the operating system for itself (not for the
// library): where its program file is, how wide the terminal is, and the
// Windows machine that the library will see (machine.h).
#pragma once

#include <filesystem>

namespace mfgtool {

// The folder of the running program file.
std::filesystem::path programFolder();

// Columns of the terminal that standard output writes to; 0 when it is not a
// terminal.
int terminalColumns();

unsigned processId();

}  // namespace mfgtool
