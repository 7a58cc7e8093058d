// A process file as the library reads it, with the place of every piece:
// the text decoded as the reader decodes it, the sections its scanner cuts,
// and in each section the keys a lookup finds, with the value the reader
// answers.  Nothing here parses on its own: sections come from the reader's
// SectionScanner, lines from the profile syntax, values from SectionKeys.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text/codepage.h"

namespace mfgtool {

enum class FileEncoding { ansi, utf8Bom, utf16Le, utf16Be };

struct KeyLine {
    std::string name;    // as the line spells it, trimmed of the profile's blanks
    std::string folded;  // the form under which names match
    std::string value;   // what the reader answers for this name (the first key wins)
    std::uint64_t line = 0;
    std::uint64_t column = 0;       // where the name starts on its line
    std::uint64_t valueColumn = 0;  // where the value starts on its line
    bool first = true;              // no key of the same name stands before it
    bool comment = false;           // a ';' line that holds '=': a key no one asks for
};

// A line of a section that is neither a key, blank, nor a ';' comment.
struct StrayLine {
    std::uint64_t line = 0;
    std::uint64_t column = 0;
    bool bracket = false;  // it starts with '[': a header without its ']'
};

struct SectionView {
    std::string name;         // between "[" and the first "]", as the reader gives it
    std::string trimmedName;  // without surrounding white space, as entries use it
    std::uint64_t line = 0;   // the header's line
    std::string text;         // the text the scanner cut
    std::vector<KeyLine> keys;
    std::vector<StrayLine> stray;
    // The first key of each folded name, by its place in `keys`: a lookup
    // and the repeated-key check cost no more than the section's size.
    std::unordered_map<std::string, std::size_t> firstOfName;

    // The reader's answer for `key`: the first key of that name, "" without.
    const KeyLine* find(std::string_view key, const mfg::text::CodePage& cp) const;
    std::string value(std::string_view key, const mfg::text::CodePage& cp) const;
};

struct ProcessFileView {
    FileEncoding encoding = FileEncoding::ansi;
    std::string text;                 // decoded; empty for an encoding the library cannot read
    std::size_t unrepresentable = 0;  // UTF-16 characters read as '?'
    std::vector<SectionView> sections;
};

// Reads `bytes` (a whole process file) the way the reader walks it.
ProcessFileView viewProcessFile(std::string_view bytes, const mfg::text::CodePage& cp);

// The column, from 1, of byte `offset` of `line`, counted in characters.
std::uint64_t columnOf(std::string_view line, std::size_t offset, const mfg::text::CodePage& cp);

}  // namespace mfgtool
