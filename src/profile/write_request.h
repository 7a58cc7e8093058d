// The arguments of one profile write in the forms the writers need them.
//
// The Windows function receives C strings, so each argument ends at its
// first NUL.  Names match after trimming blanks at both ends, but a new
// header or key line spells them with only the leading blanks dropped, and
// the value is written verbatim after its leading blanks.
#pragma once

#include <string>
#include <string_view>

#include "profile/profile_syntax.h"

namespace mfg::profile {

struct WriteRequest {
    std::string_view section;  // as a new header spells it
    std::string_view key;      // as a new key line spells it
    std::string_view value;    // as written after the '='
    std::string sectionFolded;
    std::string keyFolded;
    // Some argument holds a CR or LF: the write then adds lines of its own
    // (a value "a\r\nX=b" also creates key X).
    bool multiline = false;
    // The section alone holds one (setKeyValue keeps it for the next key).
    bool sectionMultiline = false;

    std::string headerLine() const;  // "[section]"
    std::string keyLine() const;     // "key=value"
};

WriteRequest makeWriteRequest(std::string_view section, std::string_view key,
                              std::string_view value, const syntax::Chars& chars);

// Turns `request` into the request for another key and value of the same
// section, as makeWriteRequest would make it.
void setKeyValue(WriteRequest& request, std::string_view key, std::string_view value,
                 const syntax::Chars& chars);

// Turns `request`, made for the same bytes of section and key, into the
// request for these arguments and `value`, as makeWriteRequest would make it:
// the names are not folded again.
void setValue(WriteRequest& request, std::string_view section, std::string_view key,
              std::string_view value);

}  // namespace mfg::profile
