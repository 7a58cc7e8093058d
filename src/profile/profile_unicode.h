// UTF-16 profile texts, read as Windows reads them: converted to the ANSI
// code page before they are parsed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/codepage.h"

namespace mfg::profile {

// Converts UTF-16LE bytes (without the byte-order mark) to the code page.
// ASCII is kept; with 1252 every character of the code page is converted
// through its table; anything else, a surrogate pair included, becomes one
// '?'.  The double-byte pages have no table here, so only their ASCII
// characters survive.  A last odd byte is dropped.  `unrepresentable`, when
// given, is raised by the number of '?' that stand for another character.
std::string utf16LeToAnsi(std::string_view bytes, const text::CodePage& cp,
                          std::size_t* unrepresentable = nullptr);

// The text of a process file in the code page, from its bytes read front to
// back in pieces of any size: a UTF-8 byte-order mark (which Notepad writes)
// is dropped, a UTF-16LE text is converted as the profile lookups convert it,
// anything else passes unchanged.  A UTF-16 text in big-endian order is not
// read: the library has no conversion for it.
class FileTextDecoder {
public:
    explicit FileTextDecoder(const text::CodePage& cp) : cp_(cp) {}

    // Appends the text of the next bytes to `out`.
    void feed(std::string_view bytes, std::string& out);
    // The input has ended: appends what is still held back.
    void finish(std::string& out);

    bool unsupported() const { return encoding_ == Encoding::utf16Be; }
    std::size_t unrepresentable() const { return unrepresentable_; }

private:
    enum class Encoding { unknown, ansi, utf16Le, utf16Be };
    void decide(bool atEnd);
    void convert(std::string& out, bool atEnd);

    text::CodePage cp_;
    Encoding encoding_ = Encoding::unknown;
    std::string held_;  // bytes not yet converted
    std::size_t unrepresentable_ = 0;
};

// Why a text in an encoding the library cannot read is refused.
inline constexpr char kUnsupportedEncoding[] = "unsupported encoding: UTF-16 big-endian";

// The whole text of a process file held in `bytes`, decoded as above.
// False for an encoding the library cannot read.
bool decodeFileText(std::string_view bytes, const text::CodePage& cp, std::string& text,
                    std::size_t& unrepresentable);

}  // namespace mfg::profile
