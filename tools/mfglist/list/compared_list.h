// Two install lists compared as a host would see the change: entries added,
// removed, moved in the install order, and changed in their keys.  Entries
// are paired by what they are, never by where they stand: first by the
// process-file section each came from, where both lists know it, then by
// NAME and HARDID (the k-th of equal ones with the k-th).  An entry that no
// pairing finds is removed, or added.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/json.h"
#include "install_list.h"

namespace mfgtool {

// A list with UTF-8 text: from a list file or a saved preview's JSON.
struct ComparedList {
    std::optional<KeyValues> system;
    std::vector<KeyValues> entries;
    // The process-file section of each entry, parallel to `entries`; "" (or
    // none at all) where it is not known, as in a list file.
    std::vector<std::string> sections = {};
};

struct KeyChange {
    std::string key;
    std::optional<std::string> before;  // none: the key is not there
    std::optional<std::string> after;
};

struct EntryChange {
    std::size_t before = 0;  // positions
    std::size_t after = 0;
    std::string name;    // NAME after, else before
    bool moved = false;  // its place in the install order changed
    std::vector<KeyChange> keys;
};

struct ListDiff {
    std::vector<std::size_t> added;    // positions in the second list
    std::vector<std::size_t> removed;  // positions in the first list
    std::vector<EntryChange> matched;  // moved or changed only
    std::vector<KeyChange> system;     // COUNT left out: the entries say it
    bool equal() const {
        return added.empty() && removed.empty() && matched.empty() && system.empty();
    }
};

std::vector<KeyChange> compareKeys(const KeyValues& before, const KeyValues& after);
ListDiff compareLists(const ComparedList& before, const ComparedList& after);

// A list file or a saved preview's JSON, read for comparing.  Throws
// UsageError, saying what was expected, for a folder, an unreadable file,
// JSON of another shape, a file that is not an install list (refused from
// its first bytes, before a large file is read whole) and a list whose
// COUNT disagrees with its numbered sections.
ComparedList loadComparedList(const std::string& file);

// A section's keys back from a preview's JSON: numbers as their decimal text.
KeyValues keysFromJson(const Json& keys);

// A list file's bytes (the library's code page), with the same refusals;
// `file` names it in messages.
ComparedList comparedListFromBytes(const std::string& bytes, int codePage, const std::string& file);

}  // namespace mfgtool
