// The install list file as the factory host reads it: the SYSTEM section and
// the entry sections "0" .. COUNT-1.  A reader of its own, written the way
// the Windows profile functions read: the host sees only the exports and the
// file, never the library's insides.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mfgtool {

using KeyValues = std::vector<std::pair<std::string, std::string>>;

struct IniSection {
    std::string name;
    KeyValues keys;  // in file order; a repeated key keeps its first value

    const std::string* find(std::string_view key) const;
};

// Sections are found through an index of their names (without regard to
// ASCII case), so that reading a list of n entries takes time in n, not n².
class IniDocument {
public:
    const std::vector<IniSection>& sections() const { return sections_; }
    const IniSection* find(std::string_view name) const;
    IniSection* find(std::string_view name);
    // The new section, or null when the name is taken: a repeated section
    // name keeps its first section.
    IniSection* add(std::string name);

private:
    std::vector<IniSection> sections_;
    std::unordered_map<std::string, std::size_t> index_;
};

IniDocument parseIni(std::string_view text);

struct InstallList {
    bool written = false;  // a list file exists at all
    std::optional<KeyValues> system;
    std::vector<KeyValues> entries;     // install order
    std::vector<std::string> problems;  // what a host would stumble over
};

// A numbered section ("0", "1", ...), where a list keeps its entries.
bool isEntrySectionName(std::string_view name);

InstallList readInstallList(const std::filesystem::path& file);
// Takes the sections' keys over: a list is held once, not beside its document.
InstallList installListFrom(IniDocument document);

}  // namespace mfgtool
