// ANSI code pages as the library sees them: which bytes lead a double-byte
// character.  Every search of the library steps over double-byte characters
// with this test, so a trail byte of 0x5B or 0x5C is never a bracket or a
// backslash.
#pragma once

namespace mfg::text {

class CodePage {
public:
    // 1252 and the double-byte pages 932, 936, 949 and 950 are known; any
    // other number behaves as a single-byte page.
    explicit constexpr CodePage(unsigned id = 1252) : id_(id) {}

    // The code page the machine runs with now (the platform's answer).
    static CodePage active();

    unsigned id() const { return id_; }
    bool isDoubleByte() const;
    bool isLeadByte(unsigned char byte) const;

    // Length in bytes of the character that starts at `text[pos]` in a text
    // of `size` bytes: 2 for a lead byte followed by another byte, else 1.
    // A lead byte at the very end counts as one byte of its own.
    unsigned charLength(const char* text, unsigned long size, unsigned long pos) const {
        return (isLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < size) ? 2u : 1u;
    }

private:
    unsigned id_;
};

}  // namespace mfg::text
