// Text helpers of the tests.
#pragma once

#include <cctype>
#include <string>

namespace mfg::test {

// ASCII upper-case, as the library shows the host's command line and IDs.
inline std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace mfg::test
