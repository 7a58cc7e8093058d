#include "profile/profile_unicode.h"

#include <algorithm>

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

std::string utf16LeToAnsi(std::string_view bytes, const text::CodePage& cp,
                          std::size_t* unrepresentable) {
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
        const char converted = toAnsi(unit, cp.id());
        if (unrepresentable && converted == '?' && unit != u'?') ++*unrepresentable;
        out += converted;
    }
    return out;
}

void FileTextDecoder::decide(bool atEnd) {
    const std::string_view held(held_);
    const std::string_view utf8Mark("\xEF\xBB\xBF", 3);
    const auto mayBecome = [held](std::string_view mark) {
        const std::size_t n = std::min(held.size(), mark.size());
        return held.substr(0, n) == mark.substr(0, n);
    };
    if (held.size() >= 2 && held.substr(0, 2) == "\xFF\xFE") {
        encoding_ = Encoding::utf16Le;
        held_.erase(0, 2);
    } else if (held.size() >= 2 && held.substr(0, 2) == "\xFE\xFF") {
        encoding_ = Encoding::utf16Be;
        held_.clear();
    } else if (held.size() >= 3 && held.substr(0, 3) == utf8Mark) {
        encoding_ = Encoding::ansi;
        held_.erase(0, 3);
    } else if (atEnd || held.size() >= 3 ||
               !(mayBecome(utf8Mark) || mayBecome("\xFF\xFE") || mayBecome("\xFE\xFF"))) {
        // Too short for a mark, or it begins otherwise: ordinary text.
        encoding_ = Encoding::ansi;
    }
}

void FileTextDecoder::convert(std::string& out, bool atEnd) {
    switch (encoding_) {
        case Encoding::ansi:
            out += held_;
            held_.clear();
            break;
        case Encoding::utf16Le: {
            // Whole units only, and a high surrogate waits for its partner.
            std::size_t usable = held_.size() & ~std::size_t{1};
            if (!atEnd && usable >= 2) {
                const auto high = static_cast<unsigned char>(held_[usable - 1]);
                if (high >= 0xD8 && high <= 0xDB) usable -= 2;
            }
            out += utf16LeToAnsi(std::string_view(held_).substr(0, atEnd ? held_.size() : usable),
                                 cp_, &unrepresentable_);
            held_.erase(0, atEnd ? held_.size() : usable);
            break;
        }
        case Encoding::utf16Be:
            held_.clear();
            break;
        case Encoding::unknown:
            break;
    }
}

void FileTextDecoder::feed(std::string_view bytes, std::string& out) {
    if (encoding_ == Encoding::ansi && held_.empty()) {
        out.append(bytes.data(), bytes.size());
        return;
    }
    held_.append(bytes.data(), bytes.size());
    if (encoding_ == Encoding::unknown) decide(false);
    convert(out, false);
}

void FileTextDecoder::finish(std::string& out) {
    if (encoding_ == Encoding::unknown) decide(true);
    convert(out, true);
}

bool decodeFileText(std::string_view bytes, const text::CodePage& cp, std::string& text,
                    std::size_t& unrepresentable) {
    FileTextDecoder decoder(cp);
    text.clear();
    decoder.feed(bytes, text);
    decoder.finish(text);
    unrepresentable = decoder.unrepresentable();
    return !decoder.unsupported();
}

}  // namespace mfg::profile
