// An index beside the CD-ROM driver list, so that placing a matched driver
// does not ask every held entry which of them relates to it.  The outcomes
// are those of items::placeInInstallOrder, which asks them all: the same
// order, the same replacements and refusals, the same trace lines.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "items/driver_order.h"
#include "items/iteminfo.h"
#include "text/codepage.h"

namespace mfg::listjob {

class HeldDriverIndex {
public:
    // items::placeInInstallOrder on `list`, found through the index.
    items::InstallOrderOutcome place(items::DriverList& list, std::unique_ptr<ITEMINFO> item,
                                     const text::CodePage& cp);
    // Forgets every held entry, as when the list is emptied.
    void clear();

private:
    // The list is a plain vector that other code may grow or empty by hand
    // (the common drivers are appended to it, FreeItems empties it): the
    // index starts afresh whenever the list's size or the code page is not
    // the one it last saw.
    void catchUp(const items::DriverList& list, const text::CodePage& cp);
    void add(const ITEMINFO& entry);
    void remove(const ITEMINFO& entry);

    unsigned codePage_ = 0;
    // Each slot's install-order key, in list order; an empty slot has none.
    struct Slot {
        items::InstallKey key;
        bool held = false;
    };
    std::vector<Slot> slots_;
    // Every slot is held and the keys go up (each goes before the next or
    // equals it), as placing alone leaves them: the place of a new key is
    // then found by halving.  A replacement that breaks the order, or an
    // empty slot, leaves the walk to find it until the index starts afresh.
    bool inOrder_ = true;
    // Held entries by upper-cased ID, and the 16-character ones also by
    // their family (the first eight bytes of it).
    std::unordered_multimap<std::string, const ITEMINFO*> byId_;
    std::unordered_multimap<std::string, const ITEMINFO*> byFamily_;
};

}  // namespace mfg::listjob
