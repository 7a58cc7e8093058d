#include "support/fuzz_input.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace mfg::fuzz {

const std::string& FuzzInput::part(std::size_t index) const {
    static const std::string none;
    return index < parts.size() ? parts[index] : none;
}

FuzzInput splitInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input;
    if (size > 0) input.flags = data[0];
    const std::string_view rest =
        size > 0 ? std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1)
                 : std::string_view();
    const std::string_view separator(kPartSeparator, 2);
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = rest.find(separator, from);
        input.parts.emplace_back(
            rest.substr(from, at == std::string_view::npos ? rest.npos : at - from));
        if (at == std::string_view::npos) break;
        from = at + separator.size();
    }
    return input;
}

std::string printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "\n==== FINDING: %s\n%s\n", what, detail.c_str());
    std::abort();
}

}  // namespace mfg::fuzz
