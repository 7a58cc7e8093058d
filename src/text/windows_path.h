// Windows paths as text: the library's paths are Windows paths on every
// platform, since the list file is for a Windows host.
#pragma once

#include <string>
#include <string_view>

#include "text/codepage.h"

namespace mfg::text {

// Halves every doubled backslash, so that a folder that ends in a backslash
// can be joined with one more.  A text that starts with two backslashes is a
// network path: that pair is its marker and stays.  The walk goes by
// characters, so a trail byte 0x5C is never half of a pair.
std::string halveDoubledBackslashes(std::string_view path, const CodePage& cp);
// The same on `path` itself.
void halveDoubledBackslashesIn(std::string& path, const CodePage& cp);

}  // namespace mfg::text
