// How a profile text is cut into lines and what each line is.  The reader,
// the text writer and the document all see lines through this file, so they
// can never disagree about where a section starts or which line holds a key.
//
// A line is the text between two runs of CR/LF bytes.  Blanks are 0x09-0x0D,
// 0x20 and 0x1A (the DOS end-of-file mark).  With a double-byte code page a
// lead byte takes the next byte with it, so a trail byte is never a bracket,
// an equals sign or a blank.  Lines are cut before characters are looked at:
// a broken character at the end of a line never swallows the line end (the
// writer appends CR LF after values it copies verbatim, whatever they end in).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "text/codepage.h"

namespace mfg::profile::syntax {

// The blanks of an INI line, as the profile functions skip them: ASCII white
// space and the DOS end-of-file mark.
inline bool isProfileBlank(unsigned char c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A;
}
inline bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// Where the first eight-byte word of `text` that holds a byte below CR + 1
// begins, or the bytes after the last whole word when none does: no NUL, CR
// or LF lies before it.  (A byte below n <= 128 is told exactly by the
// word's (w - n * 0x01..01) & ~w & 0x80..80 being nonzero.)
inline std::size_t skipWordsAboveCr(std::string_view text) {
    constexpr std::uint64_t kEachByte = 0x0101010101010101ull;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (((word - kEachByte * ('\r' + 1)) & ~word & kHighBits) != 0) break;
    }
    return i;
}

// The first CR or LF of `text`, npos when there is none.  (find_first_of
// makes a call per byte; every value written to a list passes through here.)
inline std::size_t findLineEnd(std::string_view text) {
    // Nearly every byte is above CR: one comparison tells it is neither.
    for (std::size_t i = skipWordsAboveCr(text); i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) <= '\r' && isLineEnd(text[i])) return i;
    return std::string_view::npos;
}

// Where the line that holds text[at] ends: its first CR or LF, or the end.
inline std::size_t lineEndIn(std::string_view text, std::size_t at) {
    const std::size_t found = findLineEnd(text.substr(at));
    return found == std::string_view::npos ? text.size() : at + found;
}

// The first NUL, CR or LF of `text`, npos when there is none: a value is
// cut at its first NUL, and a line end before that would start a new line.
inline std::size_t findNulOrLineEnd(std::string_view text) {
    for (std::size_t i = skipWordsAboveCr(text); i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) <= '\r' && (text[i] == '\0' || isLineEnd(text[i])))
            return i;
    return std::string_view::npos;
}

// Lines as an editor numbers them: CR LF ends one line, a lone CR and a lone
// LF end one each.  True when `c` ends a line that the byte before it (a CR
// when `afterCr`) has not ended already.
inline bool endsEditorLine(char c, bool afterCr) { return c == '\r' || (c == '\n' && !afterCr); }

// The number of lines a run of CR/LF bytes ends, counted as above.
inline std::size_t countEditorLineEnds(std::string_view run) {
    std::size_t count = 0;
    bool afterCr = false;
    for (const char c : run) {
        if (endsEditorLine(c, afterCr)) ++count;
        afterCr = c == '\r';
    }
    return count;
}

// The lead-byte table of one code page, built once per call of the public
// functions so that scanning a large text costs one table look-up a byte.
class Chars {
public:
    explicit Chars(const text::CodePage& cp);

    bool doubleByte() const { return doubleByte_; }

    // Length of the character that starts at text[pos] (pos < text.size()).
    // A lead byte at the very end stands alone.
    std::size_t length(std::string_view text, std::size_t pos) const {
        return (lead_[static_cast<unsigned char>(text[pos])] && pos + 1 < text.size()) ? 2 : 1;
    }

    // The longest prefix of `text` of at most `limit` bytes that ends on a
    // character boundary.
    std::size_t fit(std::string_view text, std::size_t limit) const;

    // Offset of the last character of a non-empty text.
    std::size_t lastCharStart(std::string_view text) const;

private:
    bool lead_[256];
    bool doubleByte_;
};

std::string_view cutAtNul(std::string_view s);
std::string_view trimProfileBlanksLeft(std::string_view s);
std::string_view trimProfileBlanksRight(std::string_view s, const Chars& chars);
std::string_view trimProfileBlanks(std::string_view s, const Chars& chars);

// One line of a text: content [begin, contentEnd), then its run of CR/LF
// bytes up to `end`.  Only the first line of a text can have empty content.
struct LineSpan {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;
    std::size_t end = 0;
};

// Walks the lines of a text in order.  The next CR and the next LF are
// searched for separately and remembered, so a text with only one kind of
// line end is still read in one pass.
class LineCursor {
public:
    explicit LineCursor(std::string_view text, std::size_t from = 0);
    bool next(LineSpan& line);

private:
    std::size_t find(char c, std::size_t from) const;  // text_.size() when none

    std::string_view text_;
    std::size_t pos_;
    std::size_t nextCr_;
    std::size_t nextLf_;
};

// The first line end of a run of CR/LF bytes: CR LF or LF CR as a pair, else
// one byte.  A key inserted after a line goes after this first line end, so
// blank lines that follow the line stay after the new key.
inline std::size_t firstBreakLength(std::string_view run) {
    if (run.empty()) return 0;
    return (run.size() >= 2 && run[0] != run[1]) ? 2 : 1;
}

enum class LineKind { blank, header, key, other };

struct LineInfo {
    LineKind kind = LineKind::blank;
    // Header: the text between the first '[' and the last ']', trimmed.  Key:
    // the text before the first '=', trimmed.  Both are cut at a NUL byte,
    // because names are compared as C strings.
    std::string_view name;
    // Key only: offset of the '=' in the content, and the value (the text
    // after the '=' up to the end of the trimmed line, without leading blanks).
    std::size_t equals = 0;
    std::string_view value;
};

LineInfo classify(std::string_view content, const Chars& chars);

// Section and key names match without regard to the case of ASCII letters;
// every other byte, and both bytes of a double-byte character, must be equal.
// `fold` gives the form under which two names are equal exactly when they
// match; `matchesFolded` compares a name against a folded one without
// allocating.
std::string fold(std::string_view name, const Chars& chars);
// fold into `out`, whose room is used again (a name per key a list writes).
void foldInto(std::string_view name, const Chars& chars, std::string& out);
bool matchesFolded(std::string_view name, std::string_view folded, const Chars& chars);
// Two names that fold alike in a single-byte code page, neither folded
// first.  (With a double-byte one it may also take for the same two names
// whose trail bytes differ only in case.)
bool matchesIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace mfg::profile::syntax
