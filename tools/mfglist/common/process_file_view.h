// A process file as the library reads it, with the place of every piece:
// the text decoded as the reader decodes it, the sections its scanner cuts,
// and in each section the keys a lookup finds, with the value the reader
// answers.  Nothing here parses on its own: sections come from the reader's
// SectionScanner, lines from the profile syntax, values from SectionKeys.
//
// A file can be scanned only (its sections cut, no key read) and a
// section's keys read later, or a few of its values looked up as the
// reader looks them up (SectionLookup): what asks for a few values of
// many sections pays for no key's columns and no stray line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "profile/profile_text.h"
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
    // The rest is empty until readSectionKeys reads the section.
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

// The same, but only cut into sections: each section's name, header line
// and text, its keys left unread.
ProcessFileView scanProcessFile(std::string_view bytes, const mfg::text::CodePage& cp);

// The keys and stray lines of a section that scanProcessFile cut.
void readSectionKeys(SectionView& section, const mfg::text::CodePage& cp);

// The reader's answers for the keys of one section text, looked up as the
// reader looks them up: one walk of the text, then a look through its keys
// for each name asked.  For a few values of many sections; the view's
// value() answers the same.
class SectionLookup {
public:
    explicit SectionLookup(const mfg::text::CodePage& cp) : keys_(cp) {}
    // `text` (a section text the scanner cut) must stay alive and unchanged
    // while values are asked.
    void index(std::string_view text);
    // What the reader answers for `key`: "" for a key the section lacks.
    std::string_view value(std::string_view key) const;

private:
    mfg::profile::SectionKeys keys_;
    std::size_t bufferSize_ = 0;
};

// The column, from 1, of byte `offset` of `line`, counted in characters.
std::uint64_t columnOf(std::string_view line, std::size_t offset, const mfg::text::CodePage& cp);

}  // namespace mfgtool
