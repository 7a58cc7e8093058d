#include "profile/write_request.h"

namespace mfg::profile {

WriteRequest makeWriteRequest(std::string_view section, std::string_view key,
                              std::string_view value, const syntax::Chars& chars) {
    using namespace syntax;
    WriteRequest r;
    r.section = trimProfileBlanksLeft(cutAtNul(section));
    r.key = trimProfileBlanksLeft(cutAtNul(key));
    r.value = trimProfileBlanksLeft(cutAtNul(value));
    r.sectionFolded = fold(trimProfileBlanksRight(r.section, chars), chars);
    r.keyFolded = fold(trimProfileBlanksRight(r.key, chars), chars);
    for (std::string_view argument : {r.section, r.key, r.value}) {
        if (argument.find_first_of("\r\n") != std::string_view::npos) r.multiline = true;
    }
    return r;
}

std::string WriteRequest::headerLine() const {
    std::string line;
    line.reserve(section.size() + 2);
    line += '[';
    line += section;
    line += ']';
    return line;
}

std::string WriteRequest::keyLine() const {
    std::string line;
    line.reserve(key.size() + value.size() + 1);
    line += key;
    line += '=';
    line += value;
    return line;
}

}  // namespace mfg::profile
