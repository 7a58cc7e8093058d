// The portable INI text model: what the Windows private-profile functions
// answer for a file that holds a given text, and what text a write leaves.
//
// Texts are bytes in the ANSI code page `cp`.  A text that starts with the
// UTF-16LE byte-order mark is read as UTF-16 and converted to the code page,
// as Windows does; a UTF-8 byte-order mark means nothing (on Windows it stays
// on the first line as three more bytes).  Writes are made only to ANSI texts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "profile/profile_syntax.h"
#include "text/codepage.h"

namespace mfg::profile {

// True for a text that starts with the UTF-16LE byte-order mark FF FE.
bool isUnicodeText(std::string_view fileText);

// What GetPrivateProfileStringA(section, key, def, buffer, bufferSize, file)
// leaves in the buffer, without the terminating NUL, when the file holds
// `fileText` (pass "" for a missing file).  `def` may be null.  The count the
// function returns is the size of the answer.
std::string getString(std::string_view fileText, std::string_view section, std::string_view key,
                      const char* def, std::size_t bufferSize, const text::CodePage& cp);

// The same answer for a file whose text is already decoded to the code page
// (decodeFileText): no byte-order mark is looked for again, so a text that
// happens to begin with the bytes FF FE is read as the text it is.
std::string getDecodedString(std::string_view text, std::string_view section, std::string_view key,
                             const char* def, std::size_t bufferSize, const text::CodePage& cp);

// What getString answers for `key` in the first section of `sectionText`,
// whatever its header names: for a text cut out at a header line, the
// section it holds, even when its name holds a "]" or is empty and a lookup
// by name would miss it.
std::string getSectionString(std::string_view sectionText, std::string_view key, const char* def,
                             std::size_t bufferSize, const text::CodePage& cp);

// The keys of one section text, found in one walk and then looked up as
// often as needed: for a reader that asks for many keys of the same section.
// get answers exactly what getSectionString answers for the indexed text.
class SectionKeys {
public:
    explicit SectionKeys(const text::CodePage& cp);
    // Finds the keys of `sectionText`, which must stay unchanged and alive
    // while lookups are made (the index holds views into it).
    void index(std::string_view sectionText);
    std::string get(std::string_view key, const char* def, std::size_t bufferSize) const;
    // The same answer without a copy: a part of the indexed text (or of
    // `def`), valid while that text is unchanged and alive.
    std::string_view view(std::string_view key, const char* def, std::size_t bufferSize) const;

private:
    struct Key {
        std::string_view name;   // as the line spells it
        std::string_view value;  // before the NUL cut and the quote rule
    };
    // The first key whose name equals `name` but for ASCII case.
    const Key* findIgnoringAsciiCase(std::string_view name) const;
    void indexSingleByte(std::string_view text);

    syntax::Chars chars_;
    std::vector<Key> keys_;       // in file order
    bool holdsNul_ = false;       // the indexed text holds a NUL byte: values are cut at it
    mutable std::string wanted_;  // the folded name looked up, kept for its room
};

// The text WritePrivateProfileStringA(section, key, value) leaves in a file
// that held `fileText` ("" for a missing or empty file).  Every byte that the
// write does not need to change is kept.  A UTF-16 text is returned as it was:
// the library writes ANSI profiles only, and converting the file would lose
// every character the code page cannot hold.
std::string applyWrite(std::string_view fileText, std::string_view section, std::string_view key,
                       std::string_view value, const text::CodePage& cp);

}  // namespace mfg::profile
