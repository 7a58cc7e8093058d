#include "text/windows_path.h"

#include "text/mbstring.h"

namespace mfg::text {

std::string halveDoubledBackslashes(std::string_view path, const CodePage& cp) {
    const std::size_t keep = path.substr(0, 2) == "\\\\" ? 2 : 0;
    if (cp.isDoubleByte())
        return std::string(path.substr(0, keep)) + replaceAll(path.substr(keep), "\\\\", "\\", cp);
    // Every byte is a character: each pair, left to right, keeps its first
    // backslash, in one string.
    std::string out;
    out.reserve(path.size());
    std::size_t from = 0;
    for (std::size_t pair = path.find("\\\\", keep); pair != std::string_view::npos;
         pair = path.find("\\\\", from)) {
        out.append(path, from, pair + 1 - from);
        from = pair + 2;
    }
    out.append(path, from, std::string_view::npos);
    return out;
}

}  // namespace mfg::text
