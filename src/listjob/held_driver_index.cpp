#include "listjob/held_driver_index.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "items/fixed_field.h"
#include "items/hardware_id.h"
#include "text/mbstring.h"

namespace mfg::listjob {

namespace {

using Index = std::unordered_multimap<std::string, const ITEMINFO*>;

void erasePair(Index& index, const std::string& key, const ITEMINFO* entry) {
    auto [first, last] = index.equal_range(key);
    for (; first != last; ++first) {
        if (first->second == entry) {
            index.erase(first);
            return;
        }
    }
}

}  // namespace

void HeldDriverIndex::clear() {
    slots_.clear();
    inOrder_ = true;
    byId_.clear();
    byFamily_.clear();
}

void HeldDriverIndex::catchUp(const items::DriverList& list, const text::CodePage& cp) {
    if (slots_.size() == list.size() && codePage_ == cp.id()) return;
    clear();
    codePage_ = cp.id();
    slots_.reserve(list.size());
    for (const auto& entry : list) {
        if (!entry) {
            slots_.push_back({});
            inOrder_ = false;
            continue;
        }
        const items::InstallKey key = items::installKeyOf(*entry, cp);
        if (!slots_.empty() && !items::goesBefore(slots_.back().key, key)) inOrder_ = false;
        slots_.push_back({key, true});
        add(*entry);
    }
}

// Upper-cased IDs, as placeInInstallOrder compares them: two IDs are equal
// without regard to case exactly when their upper-cased forms are, and the
// first eight bytes of an upper-cased ID are those of the ID's own first
// eight bytes upper-cased.
void HeldDriverIndex::add(const ITEMINFO& entry) {
    std::string id = text::toUpperAscii(items::fieldText(entry.hardId), text::CodePage(codePage_));
    if (id.size() == items::kDeviceIdLength)
        byFamily_.emplace(id.substr(0, items::kFamilyIdLength), &entry);
    byId_.emplace(std::move(id), &entry);
}

void HeldDriverIndex::remove(const ITEMINFO& entry) {
    const std::string id =
        text::toUpperAscii(items::fieldText(entry.hardId), text::CodePage(codePage_));
    if (id.size() == items::kDeviceIdLength)
        erasePair(byFamily_, id.substr(0, items::kFamilyIdLength), &entry);
    erasePair(byId_, id, &entry);
}

items::InstallOrderOutcome HeldDriverIndex::place(items::DriverList& list,
                                                  std::unique_ptr<ITEMINFO> item,
                                                  const text::CodePage& cp) {
    if (!item) return items::placeInInstallOrder(list, nullptr, cp);
    catchUp(list, cp);
    const std::string newId = text::toUpperAscii(items::fieldText(item->hardId), cp);

    // Every held entry that relates to the new one: the same ID, the family
    // of a new device ID, or a device of a new family ID.
    std::vector<const ITEMINFO*> related;
    const auto collect = [&](const Index& index, std::string_view key) {
        auto [first, last] = index.equal_range(std::string(key));
        for (; first != last; ++first) related.push_back(first->second);
    };
    collect(byId_, newId);
    if (newId.size() == items::kDeviceIdLength)
        collect(byId_, std::string_view(newId).substr(0, items::kFamilyIdLength));
    if (newId.size() == items::kFamilyIdLength) collect(byFamily_, newId);

    if (!related.empty()) {
        // The earliest of them in list order decides.  Nearly always there
        // is one, and only a replacement needs its slot.
        auto slot = std::find_if(list.begin(), list.end(), [&](const auto& held) {
            return held && std::find(related.begin(), related.end(), held.get()) != related.end();
        });
        const items::Relation relation =
            slot == list.end() ? items::Relation::none
                               : items::relationOf(items::fieldText((*slot)->hardId), newId, cp);
        if (relation == items::Relation::none) {
            // The list was changed behind the index's back without a change
            // of size: the plain walk decides, and the index starts afresh.
            clear();
            return items::placeInInstallOrder(list, std::move(item), cp);
        }
        if (relation == items::Relation::familyHeld) remove(**slot);
        items::InstallOrderOutcome outcome =
            items::settleWithHeld(*slot, relation, std::move(item), newId, cp);
        if (outcome.placement == items::Placement::replacedFamily) {
            const std::size_t at = static_cast<std::size_t>(slot - list.begin());
            const items::InstallKey key = items::installKeyOf(*outcome.placed, cp);
            slots_[at].key = key;
            if ((at > 0 && !items::goesBefore(slots_[at - 1].key, key)) ||
                (at + 1 < slots_.size() && !items::goesBefore(key, slots_[at + 1].key)))
                inOrder_ = false;
            add(*outcome.placed);
        }
        return outcome;
    }

    // The keys lie side by side, so finding the place costs no rank look-up
    // per held entry: the first held key the new one goes before.
    const items::InstallKey key = items::installKeyOf(*item, cp);
    std::size_t at = 0;
    if (inOrder_) {
        at = static_cast<std::size_t>(
            std::partition_point(
                slots_.begin(), slots_.end(),
                [&key](const Slot& held) { return !items::goesBefore(key, held.key); }) -
            slots_.begin());
    } else {
        while (at < slots_.size() && !(slots_[at].held && items::goesBefore(key, slots_[at].key)))
            ++at;
    }
    items::InstallOrderOutcome outcome;
    outcome.placed = item.get();
    add(*item);
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    slots_.insert(slots_.begin() + static_cast<std::ptrdiff_t>(at), {key, true});
    return outcome;
}

}  // namespace mfg::listjob
