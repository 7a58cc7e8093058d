// The CD-ROM media's fixed process files.
#pragma once

#include <string>
#include <string_view>

#include "text/codepage.h"

namespace mfg {

inline constexpr char kMatchedDriversFile[] = "DrvProc.ini";
inline constexpr char kConfigDriversFile[] = "DrvCofg.ini";
inline constexpr char kSoftwareProcessFile[] = "SoftProc.ini";

// The file `fileName` in the process-file folder.  The folder ends in a
// backslash, so the join doubles it; every doubled backslash is halved,
// except the pair that opens a network path (media shared from a server),
// which would otherwise name a folder of this drive.  Surrounding blanks go.
std::string cdRomProcessFile(std::string_view folder, std::string_view fileName,
                             const text::CodePage& cp);

}  // namespace mfg
