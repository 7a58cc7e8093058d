#include "machine.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "common/errors.h"

namespace mfgtool {

const char* windowsName(Windows windows) { return windows == Windows::vista ? "vista" : "xp"; }

void checkDriveMap(const std::string& map) {
    std::size_t at = 0;
    while (at <= map.size()) {
        std::size_t end = map.find(';', at);
        if (end == std::string::npos) end = map.size();
        const std::string item = map.substr(at, end - at);
        at = end + 1;
        if (item.empty()) continue;
        const bool letter = std::isalpha(static_cast<unsigned char>(item[0])) != 0;
        if (item.size() < 3 || !letter || item[1] != '=')
            throw UsageError("--drives item \"" + item +
                             "\" is not LETTER=FOLDER; write the map as \"C=/srv/c;D=/srv/d\"");
        // The library's machine drops a relative folder without a word.
        if (item[2] != '/')
            throw UsageError("--drives maps " + item.substr(0, 1) + ": to " + item.substr(2) +
                             ", a relative folder; give it from the root (/srv/c)");
        std::error_code ec;
        if (!std::filesystem::is_directory(item.substr(2), ec))
            throw UsageError("--drives maps " + item.substr(0, 1) + ": to " + item.substr(2) +
                             ", which is not a folder; make it first or map another");
    }
}

void checkWinver(const std::string& winver) {
    const std::size_t dot = winver.find('.');
    const std::size_t colon = winver.find(':');
    const auto digits = [](const std::string& text) {
        if (text.empty()) return false;
        for (const char c : text)
            if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        return true;
    };
    const std::string version = winver.substr(0, colon);
    const bool ok = dot != std::string::npos && dot < version.size() &&
                    digits(version.substr(0, dot)) && digits(version.substr(dot + 1)) &&
                    (colon == std::string::npos || winver.substr(colon) == ":server");
    if (!ok)
        throw UsageError("--winver " + winver +
                         " is not MAJOR.MINOR (\"5.1\", \"6.0\", \"6.0:server\")");
}

}  // namespace mfgtool
