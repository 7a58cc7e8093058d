#include "install_list.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>
#include <utility>

#include "common/file_reads.h"
#include "common/text_encoding.h"

namespace mfgtool {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1a';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The profile reader hands values back without one pair of enclosing quotes.
std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// A decimal count as the host would take it; nothing else counts.
std::optional<std::size_t> parseCount(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    std::size_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return value;
}

}  // namespace

bool isEntrySectionName(std::string_view name) {
    return !name.empty() && name.find_first_not_of("0123456789") == std::string_view::npos;
}

const std::string* IniSection::find(std::string_view key) const {
    for (const auto& [keyName, value] : keys)
        if (equalsNoCase(keyName, key)) return &value;
    return nullptr;
}

const IniSection* IniDocument::find(std::string_view sectionName) const {
    const auto found = index_.find(lowerAscii(std::string(sectionName)));
    return found == index_.end() ? nullptr : &sections_[found->second];
}

IniSection* IniDocument::find(std::string_view sectionName) {
    return const_cast<IniSection*>(std::as_const(*this).find(sectionName));
}

IniSection* IniDocument::add(std::string name) {
    if (!index_.emplace(lowerAscii(name), sections_.size()).second) return nullptr;
    sections_.push_back({std::move(name), {}});
    return &sections_.back();
}

namespace {

// Key names compared without regard to ASCII case, and hashed alike.
struct NoCaseHash {
    std::size_t operator()(std::string_view name) const {
        std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
        for (const char c : name) {
            hash ^= static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            hash *= 1099511628211ull;
        }
        return static_cast<std::size_t>(hash);
    }
};
struct NoCaseEqual {
    bool operator()(std::string_view a, std::string_view b) const { return equalsNoCase(a, b); }
};

}  // namespace

IniDocument parseIni(std::string_view text) {
    IniDocument document;
    // Lines before the first header, and the sections of a repeated header,
    // are never reached by a look-up: their keys go nowhere.
    IniSection* current = nullptr;
    // The section's key names so far, as views into `text`.
    std::unordered_set<std::string_view, NoCaseHash, NoCaseEqual> currentKeys;
    // A list's sections hold the same keys: each is given the room of the
    // one before, so a large list is not held in vectors grown twice too big.
    std::size_t keysBefore = 0;
    // A line ends at its first CR or LF.  The next of each is found once and
    // kept until the walk passes it (find_first_of would look for both at
    // every byte).
    std::size_t nextCr = text.find('\r');
    std::size_t nextLf = text.find('\n');
    for (std::size_t at = 0; at < text.size();) {
        if (nextCr < at) nextCr = text.find('\r', at);
        if (nextLf < at) nextLf = text.find('\n', at);
        const std::size_t end = std::min({nextCr, nextLf, text.size()});
        std::string_view line = trim(text.substr(at, end - at));
        at = end + 1;
        if (line.empty()) continue;
        const std::size_t close = line.front() == '[' ? line.rfind(']') : std::string_view::npos;
        if (close != std::string_view::npos) {
            if (current) {
                current->keys.shrink_to_fit();
                keysBefore = current->keys.size();
            }
            current = document.add(std::string(trim(line.substr(1, close - 1))));
            if (current) current->keys.reserve(keysBefore);
            currentKeys.clear();
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!current || eq == std::string_view::npos) continue;
        const std::string_view key = trim(line.substr(0, eq));
        if (!currentKeys.insert(key).second) continue;
        current->keys.emplace_back(std::string(key),
                                   std::string(unquote(trim(line.substr(eq + 1)))));
    }
    return document;
}

InstallList installListFrom(IniDocument document) {
    InstallList list;
    list.written = true;
    IniSection* system = document.find("SYSTEM");
    if (!system) {
        list.problems.push_back("the list file has no SYSTEM section");
        return list;
    }
    const std::string* countText = system->find("COUNT");
    const std::optional<std::size_t> count =
        countText ? parseCount(*countText) : std::optional<std::size_t>();
    const std::string countShown = countText ? *countText : std::string();
    list.system = std::move(system->keys);
    if (!count) {
        list.problems.push_back("SYSTEM has no COUNT that a host can read");
        return list;
    }
    list.entries.reserve(std::min(*count, document.sections().size()));
    for (std::size_t i = 0; i < *count; ++i) {
        IniSection* entry = document.find(std::to_string(i));
        // Every section is looked up once (its name is its number), so its
        // keys can move into the list.
        if (!entry) {
            list.problems.push_back("COUNT is " + countShown + " but section " + std::to_string(i) +
                                    " is missing");
            break;
        }
        list.entries.push_back(std::move(entry->keys));
    }
    // Entries past COUNT are never read by a host: the list is not whole.
    std::size_t numbered = 0;
    for (const IniSection& section : document.sections())
        if (isEntrySectionName(section.name)) ++numbered;
    if (list.problems.empty() && numbered > *count)
        list.problems.push_back("COUNT is " + *countText + " but the file holds " +
                                std::to_string(numbered) + " numbered entry sections");
    return list;
}

InstallList readInstallList(const std::filesystem::path& file) {
    const std::optional<std::string> text = readFileWhole(file);
    if (!text) return {};
    return installListFrom(parseIni(*text));
}

}  // namespace mfgtool
