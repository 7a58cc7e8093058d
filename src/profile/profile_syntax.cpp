#include "profile/profile_syntax.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace mfg::profile::syntax {

Chars::Chars(const text::CodePage& cp) : doubleByte_(cp.isDoubleByte()) {
    // Made for every key looked up: a single-byte page needs no questions.
    if (!doubleByte_) {
        std::fill(std::begin(lead_), std::end(lead_), false);
        return;
    }
    for (unsigned b = 0; b < 256; ++b) lead_[b] = cp.isLeadByte(static_cast<unsigned char>(b));
}

std::size_t Chars::fit(std::string_view text, std::size_t limit) const {
    if (!doubleByte_) return std::min(text.size(), limit);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t len = length(text, pos);
        if (pos + len > limit) break;
        pos += len;
    }
    return pos;
}

std::size_t Chars::lastCharStart(std::string_view text) const {
    if (!doubleByte_) return text.size() - 1;
    std::size_t pos = 0;
    std::size_t last = 0;
    while (pos < text.size()) {
        last = pos;
        pos += length(text, pos);
    }
    return last;
}

std::string_view cutAtNul(std::string_view s) {
    const std::size_t nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

std::string_view trimProfileBlanksLeft(std::string_view s) {
    std::size_t begin = 0;
    while (begin < s.size() && isProfileBlank(static_cast<unsigned char>(s[begin]))) ++begin;
    return s.substr(begin);
}

std::string_view trimProfileBlanksRight(std::string_view s, const Chars& chars) {
    if (!chars.doubleByte()) {
        std::size_t end = s.size();
        while (end > 0 && isProfileBlank(static_cast<unsigned char>(s[end - 1]))) --end;
        return s.substr(0, end);
    }
    // A blank byte can be the trail of a double-byte character, so only a
    // walk from the start knows where the characters are.
    std::size_t end = 0;
    std::size_t pos = 0;
    while (pos < s.size()) {
        const std::size_t len = chars.length(s, pos);
        if (len == 2 || !isProfileBlank(static_cast<unsigned char>(s[pos]))) end = pos + len;
        pos += len;
    }
    return s.substr(0, end);
}

std::string_view trimProfileBlanks(std::string_view s, const Chars& chars) {
    return trimProfileBlanksRight(trimProfileBlanksLeft(s), chars);
}

LineCursor::LineCursor(std::string_view text, std::size_t from)
    : text_(text), pos_(from), nextCr_(find('\r', from)), nextLf_(find('\n', from)) {}

std::size_t LineCursor::find(char c, std::size_t from) const {
    if (from >= text_.size()) return text_.size();
    const void* hit = std::memchr(text_.data() + from, c, text_.size() - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data())
               : text_.size();
}

bool LineCursor::next(LineSpan& line) {
    const std::size_t size = text_.size();
    if (pos_ >= size) return false;
    if (nextCr_ < pos_) nextCr_ = find('\r', pos_);
    if (nextLf_ < pos_) nextLf_ = find('\n', pos_);
    std::size_t p = std::min(nextCr_, nextLf_);
    line.begin = pos_;
    line.contentEnd = p;
    while (p < size && isLineEnd(text_[p])) ++p;
    line.end = p;
    pos_ = p;
    return true;
}

namespace {

struct Delimiters {
    std::size_t end;               // end of the line without trailing blanks
    std::size_t equals;            // first '=', or npos
    std::size_t nameEndAtEquals;   // end of the non-blank text before it
    std::size_t bracket;           // last ']' after the first character, or npos
    std::size_t nameEndAtBracket;  // end of the non-blank text before it, after the '['
};

// With a single-byte code page every byte is a character, and the library's
// searches can do the work.
Delimiters scanSingleByte(std::string_view content, std::size_t start, bool bracketed) {
    constexpr std::size_t none = std::string_view::npos;
    auto trimBack = [&content](std::size_t end, std::size_t floor) {
        while (end > floor && isProfileBlank(static_cast<unsigned char>(content[end - 1]))) --end;
        return end;
    };
    Delimiters d{};
    d.end = trimBack(content.size(), start);
    d.equals = content.substr(0, d.end).find('=', start);
    if (d.equals != none) d.nameEndAtEquals = trimBack(d.equals, start);
    d.bracket = bracketed ? content.substr(0, d.end).rfind(']') : none;
    if (d.bracket == start) d.bracket = none;
    if (d.bracket != none) d.nameEndAtBracket = trimBack(d.bracket, start + 1);
    return d;
}

// With a double-byte code page one walk from the start of the line finds
// where the characters are.
Delimiters scanDoubleByte(std::string_view content, std::size_t start, bool bracketed,
                          const Chars& chars) {
    constexpr std::size_t none = std::string_view::npos;
    Delimiters d{start, none, start, none, start};
    for (std::size_t pos = start; pos < content.size();) {
        const unsigned char c = static_cast<unsigned char>(content[pos]);
        const std::size_t len = chars.length(content, pos);
        if (len == 1) {
            if (c == '=' && d.equals == none) {
                d.equals = pos;
                d.nameEndAtEquals = d.end;
            } else if (c == ']' && bracketed && pos > start) {
                d.bracket = pos;
                d.nameEndAtBracket = d.end;
            }
        }
        if (len == 2 || !isProfileBlank(c)) d.end = pos + len;
        pos += len;
    }
    return d;
}

}  // namespace

LineInfo classify(std::string_view content, const Chars& chars) {
    constexpr std::size_t none = std::string_view::npos;
    LineInfo info;
    const std::size_t size = content.size();
    std::size_t start = 0;
    while (start < size && isProfileBlank(static_cast<unsigned char>(content[start]))) ++start;
    if (start == size) return info;

    const bool bracketed = content[start] == '[';
    const Delimiters d = chars.doubleByte() ? scanDoubleByte(content, start, bracketed, chars)
                                            : scanSingleByte(content, start, bracketed);
    if (d.bracket != none) {
        std::size_t nameBegin = start + 1;
        while (nameBegin < d.bracket &&
               isProfileBlank(static_cast<unsigned char>(content[nameBegin]))) {
            ++nameBegin;
        }
        const std::size_t nameEnd = std::max(nameBegin, d.nameEndAtBracket);
        info.kind = LineKind::header;
        info.name = cutAtNul(content.substr(nameBegin, nameEnd - nameBegin));
        return info;
    }
    if (d.equals != none) {
        std::size_t valueBegin = d.equals + 1;
        while (valueBegin < d.end &&
               isProfileBlank(static_cast<unsigned char>(content[valueBegin]))) {
            ++valueBegin;
        }
        info.kind = LineKind::key;
        info.name = cutAtNul(content.substr(start, d.nameEndAtEquals - start));
        info.equals = d.equals;
        info.value = content.substr(valueBegin, d.end - valueBegin);
        return info;
    }
    info.kind = LineKind::other;
    return info;
}

namespace {
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

std::string fold(std::string_view name, const Chars& chars) {
    std::string out;
    foldInto(name, chars, out);
    return out;
}

void foldInto(std::string_view name, const Chars& chars, std::string& out) {
    if (!chars.doubleByte()) {
        out.resize(name.size());
        for (std::size_t i = 0; i < name.size(); ++i) out[i] = lowerAscii(name[i]);
        return;
    }
    out.assign(name.data(), name.size());
    for (std::size_t pos = 0; pos < out.size();) {
        const std::size_t len = chars.length(out, pos);
        if (len == 1) out[pos] = lowerAscii(out[pos]);
        pos += len;
    }
}

bool matchesIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    // Readers nearly always ask with the file's own spelling: one comparison
    // of the bytes tells those, and only the others are folded byte by byte.
    if (a == b) return true;
    for (std::size_t pos = 0; pos < a.size(); ++pos)
        if (lowerAscii(a[pos]) != lowerAscii(b[pos])) return false;
    return true;
}

bool matchesFolded(std::string_view name, std::string_view folded, const Chars& chars) {
    if (name.size() != folded.size()) return false;
    if (!chars.doubleByte()) {
        for (std::size_t pos = 0; pos < name.size(); ++pos)
            if (lowerAscii(name[pos]) != folded[pos]) return false;
        return true;
    }
    for (std::size_t pos = 0; pos < name.size();) {
        const std::size_t len = chars.length(name, pos);
        if (len == 1) {
            if (lowerAscii(name[pos]) != folded[pos]) return false;
        } else if (name[pos] != folded[pos] || name[pos + 1] != folded[pos + 1]) {
            return false;
        }
        pos += len;
    }
    return true;
}

}  // namespace mfg::profile::syntax
