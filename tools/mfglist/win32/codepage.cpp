// The double-byte pages through the system's own tables, one character at a
// time, refusing rather than guessing (no default or best-fit characters).
#include <windows.h>

#include "common/text_encoding.h"

namespace mfgtool {

int libraryCodePage() {
    const int codePage = static_cast<int>(GetACP());
    return isSupportedCodePage(codePage) ? codePage : kDefaultCodePage;
}

std::optional<char32_t> decodeDoubleByteCharacter(std::string_view character, int codePage) {
    wchar_t wide[4] = {};
    const int n =
        MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS, character.data(),
                            static_cast<int>(character.size()), wide, 4);
    if (n == 1) return static_cast<char32_t>(wide[0]);
    if (n == 2 && wide[0] >= 0xD800 && wide[0] < 0xDC00)
        return 0x10000 + ((static_cast<char32_t>(wide[0]) - 0xD800) << 10) + (wide[1] - 0xDC00);
    return std::nullopt;
}

std::optional<std::string> encodeDoubleByteCharacter(char32_t codePoint, int codePage) {
    wchar_t wide[2];
    int length = 1;
    if (codePoint >= 0x10000) {
        wide[0] = static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10));
        wide[1] = static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
        length = 2;
    } else {
        wide[0] = static_cast<wchar_t>(codePoint);
    }
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(static_cast<UINT>(codePage), WC_NO_BEST_FIT_CHARS, wide,
                                      length, bytes, sizeof(bytes), nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return std::nullopt;
    return std::string(bytes, static_cast<std::size_t>(n));
}

}  // namespace mfgtool
