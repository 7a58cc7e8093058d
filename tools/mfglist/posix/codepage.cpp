// The double-byte pages through glibc's iconv, one converter per direction
// and page, kept for the life of the program.
#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <utility>

#include "common/text_encoding.h"

namespace mfgtool {
namespace {

// The open converters, closed when the program ends.
class Converters {
public:
    ~Converters() {
        for (const auto& [key, cd] : open_)
            if (cd != reinterpret_cast<iconv_t>(-1)) ::iconv_close(cd);
    }
    iconv_t get(const char* to, const char* from) {
        const auto key = std::make_pair(std::string(to), std::string(from));
        auto found = open_.find(key);
        if (found == open_.end()) found = open_.emplace(key, ::iconv_open(to, from)).first;
        return found->second;
    }

private:
    std::map<std::pair<std::string, std::string>, iconv_t> open_;
};

iconv_t converter(const char* to, const char* from) {
    static Converters converters;
    return converters.get(to, from);
}

std::string pageName(int codePage) { return "CP" + std::to_string(codePage); }

// Converts all of `input` or nothing.
std::optional<std::string> convert(iconv_t cd, std::string input) {
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char out[16];
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* outAt = out;
    std::size_t outLeft = sizeof(out);
    if (::iconv(cd, &in, &inLeft, &outAt, &outLeft) == static_cast<std::size_t>(-1) || inLeft)
        return std::nullopt;
    if (::iconv(cd, nullptr, nullptr, &outAt, &outLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    return std::string(out, static_cast<std::size_t>(outAt - out));
}

}  // namespace

int libraryCodePage() {
    const char* text = std::getenv("MFGLIST_CODEPAGE");
    const int codePage = text ? std::atoi(text) : kDefaultCodePage;
    return isSupportedCodePage(codePage) ? codePage : kDefaultCodePage;
}

std::optional<char32_t> decodeDoubleByteCharacter(std::string_view character, int codePage) {
    const std::optional<std::string> utf32 =
        convert(converter("UTF-32LE", pageName(codePage).c_str()), std::string(character));
    if (!utf32 || utf32->size() != 4) return std::nullopt;
    char32_t c = 0;
    for (int i = 3; i >= 0; --i) c = (c << 8) | static_cast<unsigned char>((*utf32)[i]);
    return c;
}

std::optional<std::string> encodeDoubleByteCharacter(char32_t codePoint, int codePage) {
    std::string utf32(4, '\0');
    for (int i = 0; i < 4; ++i) utf32[i] = static_cast<char>((codePoint >> (8 * i)) & 0xFF);
    return convert(converter(pageName(codePage).c_str(), "UTF-32LE"), utf32);
}

}  // namespace mfgtool
