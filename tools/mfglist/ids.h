// Hardware IDs or package names from a file, one a line ("-" for standard
// input).
#pragma once

#include <string>
#include <vector>

namespace mfgtool {

enum class IdLines {
    // For people: blanks around an ID are dropped, and empty lines and lines
    // starting with '#' are skipped.
    Tidy,
    // For reproducing a call: each line is one ID exactly as written (only
    // the line end is removed), since the library compares IDs unchanged and
    // a trailing blank changes a match.
    Verbatim,
};

// Throws UsageError when the file cannot be read.
std::vector<std::string> readIdsFile(const std::string& file, IdLines mode);

}  // namespace mfgtool
