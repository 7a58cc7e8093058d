#include "text/mbstring.h"

namespace mfg::text {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool isLead(std::string_view text, std::size_t pos, const CodePage& cp) {
    return cp.isLeadByte(static_cast<unsigned char>(text[pos]));
}

// Length of the character at `pos` (< text.size()).  Kept here rather than
// using CodePage::charLength so that sizes stay std::size_t on every target.
std::size_t charLen(std::string_view text, std::size_t pos, const CodePage& cp) {
    return (pos + 1 < text.size() && isLead(text, pos, cp)) ? 2 : 1;
}

// The first character boundary at or after `pos` (<= text.size()).  Whether a
// byte is a lead or a trail depends on everything before it, so the walk has
// to start at the first byte.
std::size_t boundaryAtOrAfter(std::string_view text, std::size_t pos, const CodePage& cp) {
    if (!cp.isDoubleByte()) {
        return pos;
    }
    std::size_t at = 0;
    while (at < pos) {
        at += charLen(text, at, cp);
    }
    return at;
}

// Given a match of `len` bytes starting on a boundary, does it also end on
// one?  It does not when the needle ends with a lead byte that would pair
// with the text's next byte.
bool endsOnBoundary(std::string_view text, std::size_t pos, std::size_t len, const CodePage& cp) {
    const std::size_t end = pos + len;
    while (pos < end) {
        pos += charLen(text, pos, cp);
    }
    return pos == end;
}

// find() for a non-empty needle when `pos` is already known to be a boundary,
// so that a caller walking the text does not restart from the first byte.
std::size_t findFromBoundary(std::string_view text, std::string_view needle, std::size_t pos,
                             const CodePage& cp) {
    if (!cp.isDoubleByte()) {
        return text.find(needle, pos);
    }
    while (pos < text.size() && needle.size() <= text.size() - pos) {
        if (text[pos] == needle[0] && text.compare(pos, needle.size(), needle) == 0 &&
            endsOnBoundary(text, pos, needle.size(), cp)) {
            return pos;
        }
        pos += charLen(text, pos, cp);
    }
    return npos;
}

}  // namespace

bool isCharBoundary(std::string_view text, std::size_t pos, const CodePage& cp) {
    return pos <= text.size() && boundaryAtOrAfter(text, pos, cp) == pos;
}

std::size_t find(std::string_view text, std::string_view needle, std::size_t from,
                 const CodePage& cp) {
    if (from > text.size()) {
        return npos;
    }
    const std::size_t start = boundaryAtOrAfter(text, from, cp);
    if (needle.empty()) {
        return start == from ? from : npos;
    }
    return findFromBoundary(text, needle, start, cp);
}

std::size_t findChar(std::string_view text, char c, std::size_t from, const CodePage& cp) {
    return find(text, std::string_view(&c, 1), from, cp);
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to,
                       const CodePage& cp) {
    if (from.empty()) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        const std::size_t hit = findFromBoundary(text, from, pos, cp);
        if (hit == npos) {
            break;
        }
        out.append(text, pos, hit - pos);
        out.append(to);
        // A match ends on a boundary, so the walk can go on from there.
        pos = hit + from.size();
    }
    out.append(text, pos, npos);
    return out;
}

std::string toUpperAscii(std::string_view text, const CodePage& cp) {
    std::string out;
    toUpperAsciiInto(text, cp, out);
    return out;
}

void toUpperAsciiInto(std::string_view text, const CodePage& cp, std::string& out) {
    out.assign(text.data(), text.size());
    if (!cp.isDoubleByte()) {
        // Every byte is a character: no byte needs the code page's answer.
        for (char& c : out)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return;
    }
    std::size_t pos = 0;
    while (pos < out.size()) {
        const std::size_t len = charLen(text, pos, cp);
        if (len == 1 && out[pos] >= 'a' && out[pos] <= 'z') {
            out[pos] = static_cast<char>(out[pos] - 'a' + 'A');
        }
        pos += len;
    }
}

// Compared in place, byte by byte, each text walked by its own characters:
// this runs for every held entry's TYPE and ID, and must not allocate.
bool equalsNoCase(std::string_view a, std::string_view b, const CodePage& cp) {
    if (a.size() != b.size()) return false;
    std::size_t nextA = 0;
    std::size_t nextB = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        bool singleA = false;
        bool singleB = false;
        if (i == nextA) {
            nextA += charLen(a, i, cp);
            singleA = nextA == i + 1;
        }
        if (i == nextB) {
            nextB += charLen(b, i, cp);
            singleB = nextB == i + 1;
        }
        const auto upper = [](char c, bool single) {
            return single && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        };
        if (upper(a[i], singleA) != upper(b[i], singleB)) return false;
    }
    return true;
}

std::string_view trimAsciiSpaceLeft(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && isAsciiSpace(text[begin])) {
        ++begin;
    }
    return text.substr(begin);
}

std::string_view trimAsciiSpaceRight(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && isAsciiSpace(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

std::string_view trimAsciiSpace(std::string_view text) {
    return trimAsciiSpaceRight(trimAsciiSpaceLeft(text));
}

std::string cutToWidth(std::string_view text, std::size_t maxBytes, const CodePage& cp) {
    if (maxBytes >= text.size()) {
        return std::string(text);
    }
    // maxBytes < size, so every position visited here is inside the text.
    std::size_t pos = 0;
    for (;;) {
        const std::size_t len = charLen(text, pos, cp);
        if (pos + len > maxBytes) {
            break;
        }
        pos += len;
    }
    return std::string(text.substr(0, pos));
}

bool endsWithLoneLeadByte(std::string_view text, const CodePage& cp) {
    if (text.empty() || !isLead(text, text.size() - 1, cp)) {
        return false;
    }
    return isCharBoundary(text, text.size() - 1, cp);
}

std::string_view untilNul(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace mfg::text
