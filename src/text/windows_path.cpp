#include "text/windows_path.h"

#include "text/mbstring.h"

namespace mfg::text {

std::string halveDoubledBackslashes(std::string_view path, const CodePage& cp) {
    std::string out(path);
    halveDoubledBackslashesIn(out, cp);
    return out;
}

void halveDoubledBackslashesIn(std::string& path, const CodePage& cp) {
    const std::size_t keep = std::string_view(path).substr(0, 2) == "\\\\" ? 2 : 0;
    if (cp.isDoubleByte()) {
        path = path.substr(0, keep) +
               replaceAll(std::string_view(path).substr(keep), "\\\\", "\\", cp);
        return;
    }
    // Every byte is a character: each pair, left to right, keeps its first
    // backslash; the text moves down over the second ones.  The first pair
    // is looked for byte by byte: a path holds many single backslashes, and
    // a search for the pair would start a comparison at each of them.
    std::size_t to = keep;
    while (to + 1 < path.size() && !(path[to] == '\\' && path[to + 1] == '\\')) ++to;
    if (to + 1 >= path.size()) return;
    for (std::size_t from = to; from < path.size(); ++from) {
        path[to++] = path[from];
        if (path[from] == '\\' && from + 1 < path.size() && path[from + 1] == '\\') ++from;
    }
    path.resize(to);
}

}  // namespace mfg::text
