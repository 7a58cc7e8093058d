// What every list file the library commits must be, whatever the process
// files held (the fuzz targets and the crash tests share this check): lines of "[section]" and
// "KEY=value" only, each section once, SYSTEM with a COUNT, and exactly the entry sections "0" to
// COUNT - 1, each with every entry key once.  A value that smuggled a line break or a header into
// the file breaks one of these.
#pragma once

#include <string>
#include <vector>

#include "text/codepage.h"

namespace mfg::test {

// The lines of a text, cut at CR and LF, empty lines dropped.
std::vector<std::string> linesOf(const std::string& text);

// "" when the list is sound, else what is wrong with it.
std::string checkListFile(const std::string& bytes, const text::CodePage& cp);

// The number of entries the list holds (its COUNT); -1 when it has none.
long listCount(const std::string& bytes, const text::CodePage& cp);

}  // namespace mfg::test
