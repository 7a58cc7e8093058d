// Text between the library's ANSI code page and UTF-8.  The library keeps
// every value as the bytes of its code page (1252 on a Western machine, one
// of the double-byte pages 932, 936, 949, 950 in East Asia); people and
// scripts get UTF-8.  The single-byte page is a table here; the double-byte
// pages are the operating system's (iconv, MultiByteToWideChar), one
// character at a time, so that both builds cut a text into characters alike
// and mark what is not valid the same way.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mfgtool {

constexpr int kDefaultCodePage = 1252;

bool isSupportedCodePage(int codePage);

// The code page the library works in on this machine: MFGLIST_CODEPAGE on
// Linux (default 1252), the ANSI code page on Windows.
int libraryCodePage();

struct DecodedText {
    std::string utf8;   // bytes not valid in the code page become U+FFFD
    bool valid = true;  // false when any byte had to be replaced
};

DecodedText decodeCodePage(std::string_view bytes, int codePage);

// Bytes of the character at `at`: 2 for a lead byte of a double-byte page
// with its second byte present, else 1.
std::size_t characterLength(std::string_view bytes, std::size_t at, int codePage);

// Nullopt when a character of `utf8` has no form in the code page.
std::optional<std::string> encodeCodePage(std::string_view utf8, int codePage);

bool isValidUtf8(std::string_view text);

// The code point at `at`, advancing `at`; nullopt on a malformed sequence
// (`at` then advances by one byte).
std::optional<char32_t> nextCodePoint(std::string_view text, std::size_t& at);

// Appends the character as UTF-8.
void appendUtf8(std::string& out, char32_t c);

// `bytes` read as UTF-8, written in the code page with '?' for each
// character it lacks; nullopt when they are not UTF-8.
std::optional<std::string> utf8InCodePage(std::string_view bytes, int codePage);

// Columns a terminal gives the UTF-8 text: East Asian wide characters take
// two, everything else one.
std::size_t displayWidth(std::string_view utf8);

// The longest start (or end, with `fromEnd`) of `utf8` that fits `columns`.
std::string_view takeColumns(std::string_view utf8, std::size_t columns, bool fromEnd);

// Lower-case hexadecimal of every byte: how JSON keeps bytes that are not
// text.
std::string hexBytes(std::string_view bytes);

// ---- the operating system's half (posix/, win32/) ---------------------------

// One character of a double-byte page (one or two bytes) as a code point;
// nullopt when the page has no such character.
std::optional<char32_t> decodeDoubleByteCharacter(std::string_view character, int codePage);
// The bytes of `codePoint` in a double-byte page; nullopt when it has none.
std::optional<std::string> encodeDoubleByteCharacter(char32_t codePoint, int codePage);

// `text` with a-z made A-Z, byte by byte: how names and paths are compared
// without regard to ASCII case.
std::string upperAscii(std::string text);
// `text` with A-Z made a-z, byte by byte.
std::string lowerAscii(std::string text);
// Where `part` first stands in `text` without regard to ASCII case; npos
// when nowhere.  No copy of either is made.
std::size_t findIgnoringAsciiCase(std::string_view text, std::string_view part);
// The order people expect of names that carry numbers: a run of digits
// counts by its value ("-2" before "-10"), letters without regard to ASCII
// case.  Negative, zero or positive.
int naturalCompare(std::string_view a, std::string_view b);
// naturalCompare, with names equal that way ordered by their bytes, so that
// no two names differ without an order.
bool naturalLess(std::string_view a, std::string_view b);

}  // namespace mfgtool
