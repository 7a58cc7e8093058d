// WritePrivateProfileStringA over a text in memory: the text is edited, not
// rebuilt, so comments, blank lines, odd line ends and stray bytes survive as
// they do on Windows.
#include "profile/profile_syntax.h"
#include "profile/profile_text.h"
#include "profile/write_request.h"

namespace mfg::profile {

using namespace syntax;

std::string applyWrite(std::string_view fileText, std::string_view section, std::string_view key,
                       std::string_view value, const text::CodePage& cp) {
    if (isUnicodeText(fileText)) return std::string(fileText);
    const Chars chars(cp);
    const WriteRequest request = makeWriteRequest(section, key, value, chars);

    LineCursor cursor(fileText);
    LineSpan line;
    LineSpan lastNonBlank;
    bool inSection = false;
    while (cursor.next(line)) {
        const LineInfo info =
            classify(fileText.substr(line.begin, line.contentEnd - line.begin), chars);
        if (info.kind == LineKind::header) {
            if (inSection) break;  // only the first section of the name is written to
            inSection = matchesFolded(info.name, request.sectionFolded, chars);
            lastNonBlank = line;
            continue;
        }
        if (!inSection) continue;
        if (info.kind == LineKind::key && matchesFolded(info.name, request.keyFolded, chars)) {
            // The line keeps everything up to its '=' (the file's spelling of
            // the name, its indentation) and its line end.
            const std::size_t cut = line.begin + info.equals + 1;
            std::string out;
            out.reserve(fileText.size() + request.value.size());
            out.append(fileText.substr(0, cut));
            out.append(request.value);
            out.append(fileText.substr(line.contentEnd));
            return out;
        }
        if (info.kind != LineKind::blank) lastNonBlank = line;
    }

    std::string out;
    if (!inSection) {
        const std::string header = request.headerLine();
        const std::string keyLine = request.keyLine();
        out.reserve(fileText.size() + header.size() + keyLine.size() + 6);
        out.append(fileText);
        if (!out.empty() && !isLineEnd(out.back())) out += "\r\n";
        out += header;
        out += "\r\n";
        out += keyLine;
        out += "\r\n";
        return out;
    }

    // A new key goes after the last line of the section that is not blank,
    // so blank lines that separate it from the next section stay in place.
    const std::string_view run =
        fileText.substr(lastNonBlank.contentEnd, lastNonBlank.end - lastNonBlank.contentEnd);
    const std::size_t at = lastNonBlank.contentEnd + firstBreakLength(run);
    const std::string keyLine = request.keyLine();
    out.reserve(fileText.size() + keyLine.size() + 4);
    out.append(fileText.substr(0, at));
    if (run.empty()) out += "\r\n";
    out += keyLine;
    out += "\r\n";
    out.append(fileText.substr(at));
    return out;
}

}  // namespace mfg::profile
