#include "support/list_check.h"

#include <map>
#include <set>
#include <string_view>
#include <vector>

#include "items/keys.h"
#include "profile/profile_text.h"

namespace mfg::test {

namespace {

constexpr char kSystem[] = "SYSTEM";

const std::set<std::string>& listKeys() {
    static const std::set<std::string> keys = [] {
        std::set<std::string> k{"INDEX", "COUNT", "INSTALLSTATUS", "REDAYINSTALL"};
        for (int i = 0; i <= static_cast<int>(items::Key::selectPath); ++i)
            k.insert(items::keyName(static_cast<items::Key>(i)));
        return k;
    }();
    return keys;
}

bool isDecimal(const std::string& s) {
    if (s.empty() || s.size() > 9 || (s.size() > 1 && s[0] == '0')) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty()) lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

long listCount(const std::string& bytes, const text::CodePage& cp) {
    const std::string count = profile::getString(bytes, kSystem, "COUNT", "", 64, cp);
    return isDecimal(count) ? std::stol(count) : -1;
}

std::string checkListFile(const std::string& bytes, const text::CodePage& cp) {
    // Section name -> its keys in file order.
    std::map<std::string, std::vector<std::string>> sections;
    std::vector<std::string>* current = nullptr;
    for (const std::string& line : linesOf(bytes)) {
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3)
                return "a header line that is not [name]: " + std::string(line);
            const std::string name = line.substr(1, line.size() - 2);
            if (sections.count(name)) return "section [" + std::string(name) + "] twice";
            current = &sections[name];
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) return "a line that is no key: " + std::string(line);
        const std::string key = line.substr(0, equals);
        if (!current) return "a key before any section: " + std::string(line);
        if (!listKeys().count(key)) return "a key the list never writes: " + std::string(line);
        for (const std::string& seen : *current)
            if (seen == key) return "key " + key + " twice in one section";
        current->push_back(key);
    }
    if (sections.empty()) return "";  // nothing committed
    if (!sections.count(kSystem)) return "no SYSTEM section";
    const long count = listCount(bytes, cp);
    if (count < 0) return "SYSTEM without a decimal COUNT";
    if (sections.size() != static_cast<std::size_t>(count) + 1)
        return "COUNT=" + std::to_string(count) + " but " + std::to_string(sections.size() - 1) +
               " entry sections";
    for (long i = 0; i < count; ++i) {
        const auto entry = sections.find(std::to_string(i));
        if (entry == sections.end()) return "no section [" + std::to_string(i) + "]";
        for (const char* key : {"NAME", "TYPE", "EXEPATH", "REDAYINSTALL"}) {
            bool found = false;
            for (const std::string& k : entry->second) found = found || k == key;
            if (!found) return "section [" + entry->first + "] without " + key;
        }
    }
    return "";
}

}  // namespace mfg::test
