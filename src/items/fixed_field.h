// Fixed-width text fields of the list's records (ITEMINFO, SYSTEMINFO).
//
// Process files and the host's command line can hold values of any length,
// and path macros make values longer still, but every field keeps at most
// its width minus one bytes and its terminator.  A value that does not fit is
// cut, never inside a double-byte character, and the cut is traced with the
// section and key it came from: the list then says less than the process
// file, and the trace says where.
#pragma once

#include <cstddef>
#include <string_view>

#include "text/codepage.h"
#include "text/mbstring.h"

namespace mfg::items {

enum class FieldOwner { entry, settings };

// Told of every cut besides the trace, by whoever explains a run.
class FieldCutListener {
public:
    virtual void fieldCut(FieldOwner owner, std::string_view section, std::string_view key,
                          std::size_t keptBytes) = 0;

protected:
    ~FieldCutListener() = default;
};

// Who a field belongs to, for the trace line of a cut: the message family
// ("<READ SECTOR>: ", "<READ SYSTEM>: ") and the section read.
struct FieldOrigin {
    const char* tracePrefix;
    std::string_view section;
    text::CodePage codePage;
    FieldCutListener* cuts = nullptr;  // none in a run nobody explains
    FieldOwner owner = FieldOwner::entry;
};

// Copies `value` into the field of `width` bytes and zero-fills the rest.
// Returns false when the value had to be cut (and was traced).
bool putField(char* field, std::size_t width, std::string_view value, std::string_view key,
              const FieldOrigin& origin);

template <std::size_t N>
bool putField(char (&field)[N], std::string_view value, std::string_view key,
              const FieldOrigin& origin) {
    return putField(field, N, value, key, origin);
}

// A field's text as a C string reads it, but never past the field: a record
// filled elsewhere may lack its terminator.
template <std::size_t N>
std::string_view fieldText(const char (&field)[N]) {
    return text::untilNul(std::string_view(field, N));
}

}  // namespace mfg::items
