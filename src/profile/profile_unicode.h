// UTF-16 profile texts, read as Windows reads them: converted to the ANSI
// code page before they are parsed.
#pragma once

#include <string>
#include <string_view>

#include "text/codepage.h"

namespace mfg::profile {

// Converts UTF-16LE bytes (without the byte-order mark) to the code page.
// ASCII is kept; with 1252 every character of the code page is converted
// through its table; anything else, a surrogate pair included, becomes one
// '?'.  The double-byte pages have no table here, so only their ASCII
// characters survive.  A last odd byte is dropped.
std::string utf16LeToAnsi(std::string_view bytes, const text::CodePage& cp);

}  // namespace mfg::profile
