// The POSIX machine the fuzz targets run on: drives C: and D: (the library's
// scratch: temporary section file, lookup copy, debug flag, trace log), P:
// (the process files) and L: (the list), each a folder of its own under one
// temporary folder made at the first use and removed when the program ends
// (scratch_machine.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "scratch/scratch_machine.h"

namespace mfg::fuzz {

class FuzzMachine {
public:
    // The machine, laid out and entered (MFGLIST_DRIVES) on the first call.
    static FuzzMachine& get();

    // The native folder behind a drive letter of the machine.
    std::string folder(char drive) const;
    void writeFile(char drive, std::string_view name, std::string_view bytes) const;
    std::string readFile(char drive, std::string_view name) const;  // "" when missing
    bool exists(char drive, std::string_view name) const;
    // The names in a drive's folder, sorted.
    std::vector<std::string> names(char drive) const;
    // Removes everything in a drive's folder.
    void clear(char drive) const;
    // Raises or lowers the debug flag, and empties the trace log.
    void trace(bool on) const;

private:
    FuzzMachine();
    scratch::ScratchMachine machine_;
};

}  // namespace mfg::fuzz
