// Byte strings in the ANSI code page.
//
// Texts here are plain bytes and may hold any byte, 0x00 included; positions
// and lengths count bytes.  Every search walks the text character by
// character from its first byte, so the trail byte of a double-byte character
// (0x5C, 0x5B, 0x5D and friends in the Asian pages) is never taken for a
// backslash, a bracket or any other single-byte character.
//
// Malformed text never stops the walk: a lead byte always swallows the byte
// after it, whatever that byte is, and a lead byte at the very end of a text
// is a character of its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/codepage.h"

namespace mfg::text {

// True when `pos` is where a character starts in `text`, or is the end of
// `text`.  Positions past the end are not boundaries.
bool isCharBoundary(std::string_view text, std::size_t pos, const CodePage& cp);

// The first place at or after `from` where `needle` occurs as whole
// characters of `text`: the match starts on a character boundary and ends on
// one, so a needle never matches half of a double-byte character.  When
// `from` falls inside a character the search starts at the next character.
// An empty needle is found at `from` itself when `from` is a boundary, and
// nowhere otherwise.  Returns std::string_view::npos when there is no match.
std::size_t find(std::string_view text, std::string_view needle, std::size_t from,
                 const CodePage& cp);

// find() for a needle of the single byte `c`.  A lead byte of the code page
// can only match a lone lead byte at the end of the text.
std::size_t findChar(std::string_view text, char c, std::size_t from, const CodePage& cp);

// Replaces every match of `from` by `to` in one left-to-right pass, the way
// find() matches.  The search goes on after each replacement, so matches do
// not overlap and the inserted text is never searched again.  An empty
// `from` leaves the text as it is.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to,
                       const CodePage& cp);

// Upper-cases the single-byte letters a-z.  Bytes above 127 and both bytes of
// a double-byte character are left alone (0x61 is a trail byte in 932).
std::string toUpperAscii(std::string_view text, const CodePage& cp);
// The same into `out`, whose buffer is used again: for loops that upper-case
// one text after another (an ID against each of a machine's IDs).
void toUpperAsciiInto(std::string_view text, const CodePage& cp, std::string& out);

// Both texts upper-cased with toUpperAscii() and compared whole.
bool equalsNoCase(std::string_view a, std::string_view b, const CodePage& cp);

// ASCII white space: 0x09-0x0D and 0x20, as the C library's isspace() in
// the C locale; what the host's command line, paths and looked-up values
// are trimmed of.  (INI lines have blanks of their own, 0x1A included:
// profile::syntax::isProfileBlank.)  None of these bytes is a trail byte in
// any supported page, so the trimming works on bytes and needs no code page.
inline bool isAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
std::string_view trimAsciiSpaceLeft(std::string_view text);
std::string_view trimAsciiSpaceRight(std::string_view text);
std::string_view trimAsciiSpace(std::string_view text);

// The longest prefix of at most `maxBytes` bytes that does not end inside a
// double-byte character.
std::string cutToWidth(std::string_view text, std::size_t maxBytes, const CodePage& cp);

// True when the last byte of `text` is the lead byte of a character that has
// lost its trail byte, as happens when a text is cut at a byte count.
bool endsWithLoneLeadByte(std::string_view text, const CodePage& cp);

// The text up to its first 0x00 byte, as a C string would see it.
std::string_view untilNul(std::string_view text);

}  // namespace mfg::text
