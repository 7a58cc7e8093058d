#include "listjob/cdrom_files.h"

#include "text/mbstring.h"
#include "text/windows_path.h"

namespace mfg {

std::string cdRomProcessFile(std::string_view folder, std::string_view fileName,
                             const text::CodePage& cp) {
    const std::string joined = std::string(folder) + "\\" + std::string(fileName);
    return std::string(text::trimAsciiSpace(text::halveDoubledBackslashes(joined, cp)));
}

}  // namespace mfg
