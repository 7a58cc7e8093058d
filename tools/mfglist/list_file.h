// The install list file as the factory host reads it: the SYSTEM section and
// the entry sections "0" .. COUNT-1.  A reader of its own, written the way
// the Windows profile functions read: the host sees only the exports and the
// file, never the library's insides.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mfgtool {

using KeyValues = std::vector<std::pair<std::string, std::string>>;

struct IniSection {
    std::string name;
    KeyValues keys;  // in file order; a repeated key keeps its first value

    const std::string* find(std::string_view key) const;
};

struct IniDocument {
    std::vector<IniSection> sections;  // a repeated section name keeps its first section

    const IniSection* find(std::string_view name) const;
};

IniDocument parseIni(std::string_view text);

struct InstallList {
    bool written = false;  // a list file exists at all
    std::optional<KeyValues> system;
    std::vector<KeyValues> entries;     // install order
    std::vector<std::string> problems;  // what a host would stumble over
};

InstallList readInstallList(const std::filesystem::path& file);
InstallList installListFrom(const IniDocument& document);

}  // namespace mfgtool
