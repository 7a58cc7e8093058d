// GetPrivateProfileStringA over a text in memory.
#include <optional>

#include "profile/profile_syntax.h"
#include "profile/profile_text.h"
#include "profile/profile_unicode.h"

namespace mfg::profile {
namespace {

using namespace syntax;

// Calls onKey(info) for each key line of the first section named
// `sectionFolded` (null: the first section, whatever its name), in order,
// until it answers true; later sections of the same name are never searched.
template <typename OnKey>
void walkSectionKeys(std::string_view text, const std::string_view* sectionFolded,
                     const Chars& chars, OnKey&& onKey) {
    LineCursor cursor(text);
    LineSpan line;
    bool inSection = false;
    while (cursor.next(line)) {
        const LineInfo info =
            classify(text.substr(line.begin, line.contentEnd - line.begin), chars);
        if (info.kind == LineKind::header) {
            if (inSection) return;
            inSection = !sectionFolded || matchesFolded(info.name, *sectionFolded, chars);
        } else if (inSection && info.kind == LineKind::key && onKey(info)) {
            return;
        }
    }
}

// The value of the first key named `keyFolded` in that section.
std::optional<std::string_view> findValue(std::string_view text,
                                          const std::string_view* sectionFolded,
                                          std::string_view keyFolded, const Chars& chars) {
    std::optional<std::string_view> found;
    walkSectionKeys(text, sectionFolded, chars, [&](const LineInfo& info) {
        if (!matchesFolded(info.name, keyFolded, chars)) return false;
        found = info.value;
        return true;
    });
    return found;
}

// What the caller's buffer receives.  One pair of equal quotes around the
// whole value goes: the opening quote is skipped, the rest is cut to the
// buffer, and when the buffer was large enough for everything but the closing
// quote, the last character copied is taken for it and dropped.  So a buffer
// of exactly that size loses a real character ("val1" in 5 bytes is val),
// and smaller ones keep what fits ("val1" in 2 bytes is v), as under Wine.
// A cut never splits a double-byte character.  The answer is a part of
// `value`, valid as long as `value`'s text is.
std::string_view copyOut(std::string_view value, std::size_t bufferSize, const Chars& chars) {
    if (bufferSize == 0) return {};
    bool quoted = false;
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'')) {
        const std::size_t last = chars.lastCharStart(value);
        quoted = last == value.size() - 1 && value[last] == value[0];
    }
    const std::string_view body = quoted ? value.substr(1) : value;
    std::string_view out = body.substr(0, chars.fit(body, bufferSize - 1));
    if (quoted && bufferSize >= body.size() && !out.empty())
        out = out.substr(0, chars.lastCharStart(out));
    return out;
}

}  // namespace

bool isUnicodeText(std::string_view fileText) {
    return fileText.size() >= 2 && fileText[0] == '\xFF' && fileText[1] == '\xFE';
}

std::string getString(std::string_view fileText, std::string_view section, std::string_view key,
                      const char* def, std::size_t bufferSize, const text::CodePage& cp) {
    if (!isUnicodeText(fileText))
        return getDecodedString(fileText, section, key, def, bufferSize, cp);
    return getDecodedString(utf16LeToAnsi(fileText.substr(2), cp), section, key, def, bufferSize,
                            cp);
}

std::string getDecodedString(std::string_view text, std::string_view section, std::string_view key,
                             const char* def, std::size_t bufferSize, const text::CodePage& cp) {
    const Chars chars(cp);
    // An empty section name finds nothing, not even a "[]" header: that is
    // the answer under Wine, and the ANSI function on Windows cannot be called
    // with one at all.
    const std::string_view wantSection = trimProfileBlanks(cutAtNul(section), chars);
    if (!wantSection.empty()) {
        const std::string_view wantKey = trimProfileBlanks(cutAtNul(key), chars);
        const std::string sectionFolded = fold(wantSection, chars);
        const std::string_view sectionView(sectionFolded);
        const auto value = findValue(text, &sectionView, fold(wantKey, chars), chars);
        if (value) return std::string(copyOut(cutAtNul(*value), bufferSize, chars));
    }
    return std::string(
        copyOut(trimProfileBlanksRight(def ? std::string_view(def) : std::string_view(), chars),
                bufferSize, chars));
}

std::string getSectionString(std::string_view sectionText, std::string_view key, const char* def,
                             std::size_t bufferSize, const text::CodePage& cp) {
    SectionKeys keys(cp);
    keys.index(sectionText);
    return keys.get(key, def, bufferSize);
}

SectionKeys::SectionKeys(const text::CodePage& cp) : chars_(cp) {}

const SectionKeys::Key* SectionKeys::findIgnoringAsciiCase(std::string_view name) const {
    // Most names differ in length, and most of the rest in their first
    // letter (compared with the case bit set, which never parts two bytes
    // that differ only in ASCII case): those are told apart without a call.
    for (const Key& k : keys_) {
        if (k.name.size() != name.size()) continue;
        if (!name.empty() && (k.name[0] | 0x20) != (name[0] | 0x20)) continue;
        if (matchesIgnoringAsciiCase(k.name, name)) return &k;
    }
    return nullptr;
}

void SectionKeys::index(std::string_view sectionText) {
    keys_.clear();  // the capacity stays for the next section
    // One search of the whole text spares a search of each value looked up.
    holdsNul_ = sectionText.find('\0') != std::string_view::npos;
    if (!chars_.doubleByte()) {
        indexSingleByte(sectionText);
        return;
    }
    walkSectionKeys(sectionText, nullptr, chars_, [this](const LineInfo& info) {
        keys_.push_back({info.name, info.value});
        return false;
    });
}

// walkSectionKeys and classify in one pass over each line: in a single-byte
// page a line whose first byte that is not a blank is no '[' is a key line
// exactly when it holds a '=', named by what lies before its first '=' and
// valued by what follows it, both without their blanks.  Every line is read
// once, byte by byte up to its '=' and by whole words after it.  A line that
// begins with '[' (a header, or a key such as "[K=v") is left to classify.
void SectionKeys::indexSingleByte(std::string_view text) {
    const char* const p = text.data();
    const std::size_t size = text.size();
    auto blank = [p](std::size_t at) { return isProfileBlank(static_cast<unsigned char>(p[at])); };
    bool inSection = false;
    for (std::size_t pos = 0; pos < size;) {
        std::size_t start = pos;
        while (start < size && !isLineEnd(p[start]) && blank(start)) ++start;
        std::size_t equals = start;
        if (start < size && p[start] == '[') {
            const std::size_t contentEnd = lineEndIn(text, start);
            const LineInfo info = classify(text.substr(pos, contentEnd - pos), chars_);
            if (info.kind == LineKind::header) {
                if (inSection) return;
                inSection = true;
            } else if (inSection && info.kind == LineKind::key) {
                keys_.push_back({info.name, info.value});
            }
            equals = contentEnd;
        } else {
            while (equals < size && p[equals] != '=' && !isLineEnd(p[equals])) ++equals;
        }
        if (equals < size && p[equals] == '=') {
            const std::size_t contentEnd = lineEndIn(text, equals + 1);
            std::size_t end = contentEnd;
            while (blank(end - 1)) --end;  // the '=' is no blank
            std::size_t nameEnd = equals;
            while (nameEnd > start && blank(nameEnd - 1)) --nameEnd;
            std::size_t valueBegin = equals + 1;
            while (valueBegin < end && blank(valueBegin)) ++valueBegin;
            std::string_view name = text.substr(start, nameEnd - start);
            if (holdsNul_) name = cutAtNul(name);
            if (inSection) keys_.push_back({name, text.substr(valueBegin, end - valueBegin)});
            equals = contentEnd;
        }
        pos = equals;
        while (pos < size && isLineEnd(p[pos])) ++pos;
    }
}

std::string SectionKeys::get(std::string_view key, const char* def, std::size_t bufferSize) const {
    return std::string(view(key, def, bufferSize));
}

std::string_view SectionKeys::view(std::string_view key, const char* def,
                                   std::size_t bufferSize) const {
    // Every key is kept and the first match answers: the first key of a name
    // wins, as in a walk of the text.
    const Key* found = nullptr;
    if (!chars_.doubleByte()) {
        // The readers ask with plain names.  A key that neither begins nor
        // ends with a blank and equals an indexed name (which holds no NUL)
        // is its own trimmed and cut form, so it is looked for as it is;
        // any other key is trimmed and cut first, as before.
        const bool plainEnds = !key.empty() &&
                               !isProfileBlank(static_cast<unsigned char>(key.front())) &&
                               !isProfileBlank(static_cast<unsigned char>(key.back()));
        if (plainEnds) found = findIgnoringAsciiCase(key);
        if (!found) {
            const std::string_view wanted = trimProfileBlanks(cutAtNul(key), chars_);
            if (!plainEnds || wanted.size() != key.size()) found = findIgnoringAsciiCase(wanted);
        }
    } else {
        const std::string_view wanted = trimProfileBlanks(cutAtNul(key), chars_);
        foldInto(wanted, chars_, wanted_);
        for (const Key& k : keys_) {
            if (k.name.size() == wanted_.size() && matchesFolded(k.name, wanted_, chars_)) {
                found = &k;
                break;
            }
        }
    }
    if (found)
        return copyOut(holdsNul_ ? cutAtNul(found->value) : found->value, bufferSize, chars_);
    return copyOut(trimProfileBlanksRight(def ? std::string_view(def) : std::string_view(), chars_),
                   bufferSize, chars_);
}

}  // namespace mfg::profile
