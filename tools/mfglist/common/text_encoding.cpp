#include "text_encoding.h"

#include <algorithm>

namespace mfgtool {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kNone = 0;

// Code page 1252 differs from Latin-1 only in 0x80..0x9F; 0 marks the five
// bytes the page leaves undefined.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, kNone,  0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, kNone,  0x017D, kNone,  kNone,  0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, kNone,  0x017E, 0x0178,
};

bool isLeadByte(unsigned char byte, int codePage) {
    if (codePage == 932) return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return byte >= 0x81 && byte <= 0xFE;  // 936, 949, 950
}

}  // namespace

std::optional<char32_t> nextCodePoint(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (first < 0x80) {
        ++at;
        return first;
    } else if ((first & 0xE0) == 0xC0) {
        length = 2, c = first & 0x1F, least = 0x80;
    } else if ((first & 0xF0) == 0xE0) {
        length = 3, c = first & 0x0F, least = 0x800;
    } else if ((first & 0xF8) == 0xF0) {
        length = 4, c = first & 0x07, least = 0x10000;
    } else {
        ++at;
        return std::nullopt;
    }
    if (at + length > text.size()) {
        ++at;
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            ++at;
            return std::nullopt;
        }
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++at;
        return std::nullopt;
    }
    at += length;
    return c;
}

namespace {

std::size_t columnsOf(char32_t c) {
    if ((c >= 0x0300 && c <= 0x036F) || (c >= 0x200B && c <= 0x200F)) return 0;
    static constexpr char32_t kWide[][2] = {
        {0x1100, 0x115F},   {0x2E80, 0x303E}, {0x3041, 0x33FF}, {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF},   {0xA000, 0xA4CF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F},   {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F},
        {0x20000, 0x3FFFD},
    };
    for (const auto& range : kWide)
        if (c >= range[0] && c <= range[1]) return 2;
    return 1;
}

std::optional<std::string> encodeCharacter(char32_t c, int codePage) {
    if (c < 0x80) return std::string(1, static_cast<char>(c));
    if (codePage != 1252) return encodeDoubleByteCharacter(c, codePage);
    if (c >= 0xA0 && c <= 0xFF) return std::string(1, static_cast<char>(c));
    for (unsigned i = 0; i < 32; ++i)
        if (kWindows1252High[i] != kNone && kWindows1252High[i] == c)
            return std::string(1, static_cast<char>(0x80 + i));
    return std::nullopt;
}

}  // namespace

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isSupportedCodePage(int codePage) {
    return codePage == 1252 || codePage == 932 || codePage == 936 || codePage == 949 ||
           codePage == 950;
}

std::size_t characterLength(std::string_view bytes, std::size_t at, int codePage) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x80 || codePage == 1252 || !isLeadByte(byte, codePage)) return 1;
    return at + 2 <= bytes.size() ? 2 : 1;
}

DecodedText decodeCodePage(std::string_view bytes, int codePage) {
    DecodedText decoded;
    decoded.utf8.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        // Nearly all of a list is ASCII, which is its own UTF-8: a run of
        // it goes over in one piece.
        std::size_t asciiEnd = at;
        while (asciiEnd < bytes.size() && static_cast<unsigned char>(bytes[asciiEnd]) < 0x80)
            ++asciiEnd;
        if (asciiEnd > at) {
            decoded.utf8.append(bytes.substr(at, asciiEnd - at));
            at = asciiEnd;
            continue;
        }
        const auto byte = static_cast<unsigned char>(bytes[at]);
        std::optional<char32_t> c;
        std::size_t length = 1;
        if (codePage == 1252) {
            if (byte >= 0xA0)
                c = byte;
            else if (kWindows1252High[byte - 0x80] != kNone)
                c = kWindows1252High[byte - 0x80];
        } else {
            // A lead byte without its second byte is not a character.
            length = characterLength(bytes, at, codePage);
            if (length == 2 || !isLeadByte(byte, codePage))
                c = decodeDoubleByteCharacter(bytes.substr(at, length), codePage);
        }
        if (!c || *c == kReplacement) decoded.valid = false;
        appendUtf8(decoded.utf8, c ? *c : kReplacement);
        at += length;
    }
    return decoded;
}

std::optional<std::string> encodeCodePage(std::string_view utf8, int codePage) {
    std::string bytes;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::optional<char32_t> c = nextCodePoint(utf8, at);
        if (!c) return std::nullopt;
        const std::optional<std::string> encoded = encodeCharacter(*c, codePage);
        if (!encoded) return std::nullopt;
        bytes += *encoded;
    }
    return bytes;
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();)
        if (!nextCodePoint(text, at)) return false;
    return true;
}

std::optional<std::string> utf8InCodePage(std::string_view bytes, int codePage) {
    if (!isValidUtf8(bytes)) return std::nullopt;
    if (std::optional<std::string> whole = encodeCodePage(bytes, codePage)) return whole;
    std::string out;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t start = at;
        nextCodePoint(bytes, at);
        out += encodeCodePage(bytes.substr(start, at - start), codePage).value_or("?");
    }
    return out;
}

std::size_t displayWidth(std::string_view utf8) {
    std::size_t columns = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::optional<char32_t> c = nextCodePoint(utf8, at);
        columns += c ? columnsOf(*c) : 1;
    }
    return columns;
}

std::string_view takeColumns(std::string_view utf8, std::size_t columns, bool fromEnd) {
    // Character boundaries and widths, walked from the start once.
    std::size_t used = 0;
    if (!fromEnd) {
        std::size_t at = 0;
        while (at < utf8.size()) {
            std::size_t next = at;
            const std::optional<char32_t> c = nextCodePoint(utf8, next);
            const std::size_t width = c ? columnsOf(*c) : 1;
            if (used + width > columns) break;
            used += width;
            at = next;
        }
        return utf8.substr(0, at);
    }
    const std::size_t total = displayWidth(utf8);
    std::size_t at = 0;
    while (at < utf8.size() && total - used > columns) {
        const std::optional<char32_t> c = nextCodePoint(utf8, at);
        used += c ? columnsOf(*c) : 1;
    }
    return utf8.substr(at);
}

std::string hexBytes(std::string_view bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

namespace {
char upperAsciiChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

std::string upperAscii(std::string text) {
    for (char& c : text) c = upperAsciiChar(c);
    return text;
}

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::size_t findIgnoringAsciiCase(std::string_view text, std::string_view part) {
    const auto found =
        std::search(text.begin(), text.end(), part.begin(), part.end(),
                    [](char a, char b) { return upperAsciiChar(a) == upperAsciiChar(b); });
    return found == text.end() && !part.empty() ? std::string_view::npos
                                                : static_cast<std::size_t>(found - text.begin());
}

int naturalCompare(std::string_view a, std::string_view b) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t endA = i, endB = j;
            while (endA < a.size() && digit(a[endA])) ++endA;
            while (endB < b.size() && digit(b[endB])) ++endB;
            // Leading zeros aside, the longer run is the larger number.
            while (i + 1 < endA && a[i] == '0') ++i;
            while (j + 1 < endB && b[j] == '0') ++j;
            const std::string_view runA = a.substr(i, endA - i);
            const std::string_view runB = b.substr(j, endB - j);
            if (runA.size() != runB.size()) return runA.size() < runB.size() ? -1 : 1;
            if (const int order = runA.compare(runB)) return order < 0 ? -1 : 1;
            i = endA;
            j = endB;
            continue;
        }
        const auto x = static_cast<unsigned char>(upperAsciiChar(a[i]));
        const auto y = static_cast<unsigned char>(upperAsciiChar(b[j]));
        if (x != y) return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    return j < b.size() ? -1 : 0;
}

bool naturalLess(std::string_view a, std::string_view b) {
    const int order = naturalCompare(a, b);
    return order ? order < 0 : a < b;
}

}  // namespace mfgtool
