#include "version_text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

namespace mfgtool {
namespace {

// The numbers of a VERSION, most significant first: a date written
// MM/DD/YYYY is turned round to YYYY, MM, DD; "" gives none.
std::vector<unsigned long> versionParts(const std::string& version) {
    std::vector<unsigned long> parts;
    std::vector<std::size_t> digits;
    for (std::size_t at = 0; at < version.size();) {
        if (!std::isdigit(static_cast<unsigned char>(version[at]))) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < version.size() && std::isdigit(static_cast<unsigned char>(version[end])))
            ++end;
        parts.push_back(std::strtoul(version.substr(at, std::min<std::size_t>(end - at, 9)).c_str(),
                                     nullptr, 10));
        digits.push_back(end - at);
        at = end;
    }
    const bool usDate = parts.size() == 3 && digits[2] == 4 && digits[0] <= 2 &&
                        version.find_first_of("/-") != std::string::npos;
    if (usDate) parts = {parts[2], parts[0], parts[1]};
    return parts;
}

}  // namespace

bool isNewerVersion(const std::string& later, const std::string& earlier) {
    const std::vector<unsigned long> a = versionParts(later), b = versionParts(earlier);
    if (a.empty() || b.empty()) return false;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const unsigned long x = i < a.size() ? a[i] : 0, y = i < b.size() ? b[i] : 0;
        if (x != y) return x > y;
    }
    return false;
}

}  // namespace mfgtool
