// Two install lists compared as a host would see the change: entries added,
// removed, moved in the install order, and changed in their keys.  Entries
// are matched first by their section (position) where both sides name the
// same entry there, then by NAME and HARDID anywhere, then what is left by
// section again (an entry edited in place, its name included).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "list_file.h"

namespace mfgtool {

// A list with UTF-8 text: from a list file or a saved preview's JSON.
struct ComparedList {
    std::optional<KeyValues> system;
    std::vector<KeyValues> entries;
};

struct KeyChange {
    std::string key;
    std::optional<std::string> before;  // none: the key is not there
    std::optional<std::string> after;
};

struct EntryChange {
    std::size_t before = 0;  // positions
    std::size_t after = 0;
    std::string name;        // NAME after, else before
    bool moved = false;      // its place in the install order changed
    std::vector<KeyChange> keys;
};

struct ListDiff {
    std::vector<std::size_t> added;    // positions in the second list
    std::vector<std::size_t> removed;  // positions in the first list
    std::vector<EntryChange> matched;  // moved or changed only
    std::vector<KeyChange> system;     // COUNT left out: the entries say it
    bool equal() const { return added.empty() && removed.empty() && matched.empty() && system.empty(); }
};

std::vector<KeyChange> compareKeys(const KeyValues& before, const KeyValues& after);
ListDiff compareLists(const ComparedList& before, const ComparedList& after);

}  // namespace mfgtool
