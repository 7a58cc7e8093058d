#include "profile/profile_unicode.h"

namespace mfg::profile {
namespace {

// Characters of bytes 0x80-0x9F in code page 1252.  The five bytes the code
// page leaves undefined stand for the C1 control of the same number, as the
// Windows conversion tables have it.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char toAnsi(char16_t unit, unsigned codePage) {
    if (unit < 0x80) return static_cast<char>(unit);
    if (codePage == 1252) {
        if (unit >= 0xA0 && unit <= 0xFF)
            return static_cast<char>(static_cast<unsigned char>(unit));
        for (unsigned i = 0; i < 32; ++i) {
            if (kCp1252High[i] == unit)
                return static_cast<char>(static_cast<unsigned char>(0x80 + i));
        }
    }
    return '?';
}

}  // namespace

std::string utf16LeToAnsi(std::string_view bytes, const text::CodePage& cp) {
    std::string out;
    out.reserve(bytes.size() / 2);
    const std::size_t units = bytes.size() / 2;
    auto unitAt = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    };
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const char16_t low = unitAt(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) ++i;  // one character, one '?'
        }
        out += toAnsi(unit, cp.id());
    }
    return out;
}

}  // namespace mfg::profile
