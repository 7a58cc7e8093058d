#include "compared_list.h"

#include <algorithm>
#include <functional>
#include <map>

#include "common/text_encoding.h"

namespace mfgtool {
namespace {

const std::string* find(const KeyValues& keys, const std::string& key) {
    for (const auto& [name, value] : keys)
        if (name == key) return &value;
    return nullptr;
}

std::string valueOf(const KeyValues& keys, const std::string& key) {
    const std::string* value = find(keys, key);
    return value ? *value : std::string();
}

std::string identity(const KeyValues& entry) {
    return valueOf(entry, "NAME") + '\n' + valueOf(entry, "HARDID");
}

// Positions (in the second list) of the pairs that keep their order: the
// longest increasing run of second positions taken in first-list order.
// Every other pair moved.
std::vector<bool> keptOrder(const std::vector<std::pair<std::size_t, std::size_t>>& pairs) {
    const std::size_t n = pairs.size();
    std::vector<std::size_t> tails;  // index into pairs of the smallest tail per length
    std::vector<std::size_t> parent(n, n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto at =
            std::lower_bound(tails.begin(), tails.end(), pairs[i].second,
                             [&](std::size_t t, std::size_t v) { return pairs[t].second < v; });
        if (at != tails.begin()) parent[i] = *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<bool> kept(n, false);
    for (std::size_t i = tails.empty() ? n : tails.back(); i != n; i = parent[i]) kept[i] = true;
    return kept;
}

}  // namespace

std::vector<KeyChange> compareKeys(const KeyValues& before, const KeyValues& after) {
    std::vector<KeyChange> changes;
    for (const auto& [key, value] : before) {
        const std::string* now = find(after, key);
        if (!now)
            changes.push_back({key, value, std::nullopt});
        else if (*now != value)
            changes.push_back({key, value, *now});
    }
    for (const auto& [key, value] : after)
        if (!find(before, key)) changes.push_back({key, std::nullopt, value});
    return changes;
}

ListDiff compareLists(const ComparedList& before, const ComparedList& after) {
    const std::size_t none = static_cast<std::size_t>(-1);
    std::vector<std::size_t> partner(before.entries.size(), none);
    std::vector<bool> taken(after.entries.size(), false);
    // Pairs the entries left over whose key (empty: none) is the same, the
    // k-th of a key before with the k-th after.
    const auto pairBy =
        [&](const std::function<std::string(const ComparedList&, std::size_t)>& key) {
            std::map<std::string, std::vector<std::size_t>> waiting;
            for (std::size_t j = after.entries.size(); j-- > 0;)
                if (!taken[j])
                    if (std::string k = key(after, j); !k.empty()) waiting[k].push_back(j);
            for (std::size_t i = 0; i < before.entries.size(); ++i) {
                if (partner[i] != none) continue;
                const std::string k = key(before, i);
                auto found = k.empty() ? waiting.end() : waiting.find(k);
                if (found == waiting.end() || found->second.empty()) continue;
                partner[i] = found->second.back();
                taken[partner[i]] = true;
                found->second.pop_back();
            }
        };
    // 1. The entry of the same process-file section.
    pairBy([](const ComparedList& list, std::size_t i) {
        return i < list.sections.size() ? upperAscii(list.sections[i]) : std::string();
    });
    // 2. The entry of the same NAME and HARDID.
    pairBy([](const ComparedList& list, std::size_t i) { return identity(list.entries[i]); });

    ListDiff diff;
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t i = 0; i < before.entries.size(); ++i) {
        if (partner[i] == none)
            diff.removed.push_back(i);
        else
            pairs.emplace_back(i, partner[i]);
    }
    for (std::size_t j = 0; j < after.entries.size(); ++j)
        if (!taken[j]) diff.added.push_back(j);
    const std::vector<bool> kept = keptOrder(pairs);
    for (std::size_t p = 0; p < pairs.size(); ++p) {
        const auto [i, j] = pairs[p];
        EntryChange change;
        change.before = i;
        change.after = j;
        change.moved = !kept[p];
        change.keys = compareKeys(before.entries[i], after.entries[j]);
        change.name = valueOf(after.entries[j], "NAME");
        if (change.moved || !change.keys.empty()) diff.matched.push_back(std::move(change));
    }
    KeyValues systemBefore = before.system.value_or(KeyValues{});
    KeyValues systemAfter = after.system.value_or(KeyValues{});
    for (KeyChange& change : compareKeys(systemBefore, systemAfter))
        if (change.key != "COUNT") diff.system.push_back(std::move(change));
    return diff;
}

}  // namespace mfgtool
