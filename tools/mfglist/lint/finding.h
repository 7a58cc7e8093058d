// What the linter says about a process file: one finding per mistake, placed
// where an editor shows it.
#pragma once

#include <cstdint>
#include <string>

namespace mfgtool::lint {

enum class Severity { note, warning, error };

const char* severityName(Severity severity);

struct Finding {
    std::string file;          // the path as the user named the folder, then the file
    std::uint64_t line = 0;    // from 1, as an editor numbers lines
    std::uint64_t column = 0;  // from 1, in characters of the code page
    Severity severity = Severity::warning;
    std::string rule;
    std::string message;
    std::string hint;  // one line: what to do about it
    // Where it is, as a baseline matches it: the section (trimmed, "" before
    // the first header) and the key ("" for a finding about a section or a
    // file).  Unlike the line, these stay when lines above are added.
    std::string section;
    std::string key;
};

}  // namespace mfgtool::lint
