#include "profile/write_request.h"

namespace mfg::profile {

using namespace syntax;

WriteRequest makeWriteRequest(std::string_view section, std::string_view key,
                              std::string_view value, const syntax::Chars& chars) {
    WriteRequest r;
    r.section = trimProfileBlanksLeft(cutAtNul(section));
    r.sectionFolded = fold(trimProfileBlanksRight(r.section, chars), chars);
    r.sectionMultiline = findLineEnd(r.section) != std::string_view::npos;
    setKeyValue(r, key, value, chars);
    return r;
}

void setKeyValue(WriteRequest& r, std::string_view key, std::string_view value,
                 const syntax::Chars& chars) {
    r.key = trimProfileBlanksLeft(cutAtNul(key));
    r.value = trimProfileBlanksLeft(cutAtNul(value));
    foldInto(trimProfileBlanksRight(r.key, chars), chars, r.keyFolded);
    r.multiline = r.sectionMultiline || findLineEnd(r.key) != std::string_view::npos ||
                  findLineEnd(r.value) != std::string_view::npos;
}

void setValue(WriteRequest& r, std::string_view section, std::string_view key,
              std::string_view value) {
    r.section = trimProfileBlanksLeft(cutAtNul(section));
    r.key = trimProfileBlanksLeft(cutAtNul(key));
    r.value = trimProfileBlanksLeft(cutAtNul(value));
    r.multiline = r.sectionMultiline || findLineEnd(r.key) != std::string_view::npos ||
                  findLineEnd(r.value) != std::string_view::npos;
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
