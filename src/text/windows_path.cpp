#include "text/windows_path.h"

#include "text/mbstring.h"

namespace mfg::text {

std::string halveDoubledBackslashes(std::string_view path, const CodePage& cp) {
    const std::size_t keep = path.substr(0, 2) == "\\\\" ? 2 : 0;
    return std::string(path.substr(0, keep)) + replaceAll(path.substr(keep), "\\\\", "\\", cp);
}

}  // namespace mfg::text
