#include "items/driver_order.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "items/fixed_field.h"
#include "items/hardware_id.h"
#include "text/mbstring.h"
#include "trace/trace_log.h"

namespace mfg::items {

namespace {

// Lower ranks install earlier; a TYPE outside the table ranks after all of
// them.  The order is the factory's install order and must not be sorted.
constexpr const char* kTypeRanks[] = {
    "SYSPATCH", "MAINBOARD", "DISPLAY",  "NETCARD", "SOUND", "TVCARD",
    "1394",     "FAX",       "KEYBOARD", "BOX",     "POWER", "SOFTWARE",
};
constexpr int kUnknownTypeRank = static_cast<int>(std::size(kTypeRanks));

int rankOf(const ITEMINFO& item, const text::CodePage& cp) {
    return typeRank(fieldText(item.type), cp);
}

}  // namespace

// No trimming: a TYPE with blanks around it is a different word.
int typeRank(std::string_view type, const text::CodePage& cp) {
    for (int rank = 0; rank < kUnknownTypeRank; ++rank) {
        if (text::equalsNoCase(type, kTypeRanks[rank], cp)) return rank;
    }
    return kUnknownTypeRank;
}

const char* rankedType(int rank) {
    return rank >= 0 && rank < kUnknownTypeRank ? kTypeRanks[rank] : nullptr;
}

Relation relationOf(std::string_view heldId, std::string_view offeredUpperId,
                    const text::CodePage& cp) {
    // Compared in place: the scan asks this of every held entry.  The first
    // eight bytes of an upper-cased ID stay as they are when upper-cased
    // again, so the family is compared as cut.
    if (heldId.size() == offeredUpperId.size() && text::equalsNoCase(heldId, offeredUpperId, cp))
        return Relation::sameId;
    if (heldId.size() == kFamilyIdLength && offeredUpperId.size() == kDeviceIdLength &&
        text::equalsNoCase(heldId, offeredUpperId.substr(0, kFamilyIdLength), cp))
        return Relation::familyHeld;
    if (heldId.size() == kDeviceIdLength && offeredUpperId.size() == kFamilyIdLength &&
        text::equalsNoCase(heldId.substr(0, kFamilyIdLength), offeredUpperId, cp))
        return Relation::deviceHeld;
    return Relation::none;
}

InstallOrderOutcome settleWithHeld(std::unique_ptr<ITEMINFO>& held, Relation relation,
                                   std::unique_ptr<ITEMINFO> item, std::string_view offeredUpperId,
                                   const text::CodePage& cp) {
    // A refused record is released when `item` goes out of scope.
    InstallOrderOutcome outcome;
    switch (relation) {
        case Relation::familyHeld:
            TraceLog("IS EXIST , NEW IS 16 ,UPDATE THIS ,OLD = %s , NEW = %s",
                     text::toUpperAscii(fieldText(held->hardId), cp).c_str(),
                     std::string(offeredUpperId).c_str());
            // The device driver installs when the family driver would have,
            // whatever its own TYPE and ID say; the family driver goes.
            outcome.placement = Placement::replacedFamily;
            outcome.placed = item.get();
            outcome.replaced = std::move(held);
            held = std::move(item);
            return outcome;
        case Relation::deviceHeld:
            TraceLog("IS EXIST , NEW IS 8 ,NOT ADD ");
            outcome.placement = Placement::refusedDeviceHeld;
            outcome.refusedBy = held.get();
            return outcome;
        case Relation::sameId:
        case Relation::none:
            break;
    }
    TraceLog("IS EXIST , NOT ADD");
    outcome.placement = Placement::refusedSameId;
    outcome.refusedBy = held.get();
    return outcome;
}

InstallKey installKeyOf(const ITEMINFO& item, const text::CodePage& cp) {
    return {rankOf(item, cp), item.id};
}

InstallOrderOutcome placeInInstallOrder(DriverList& list, std::unique_ptr<ITEMINFO> item,
                                        const text::CodePage& cp) {
    InstallOrderOutcome outcome;
    if (!item) {
        outcome.placement = Placement::refusedSameId;
        return outcome;
    }

    // Upper-cased copies only: the records keep the IDs as their process
    // files spell them, and that is what reaches the list file.  The
    // earliest held entry that relates to the new one decides, so an
    // outcome never depends on entries further down the list.
    const std::string newId = text::toUpperAscii(fieldText(item->hardId), cp);
    for (std::unique_ptr<ITEMINFO>& held : list) {
        if (!held) continue;  // an empty slot left by other code relates to nothing
        const Relation relation = relationOf(fieldText(held->hardId), newId, cp);
        if (relation != Relation::none)
            return settleWithHeld(held, relation, std::move(item), newId, cp);
    }

    const InstallKey key = installKeyOf(*item, cp);
    auto at = list.begin();
    for (; at != list.end(); ++at) {
        if (*at && goesBefore(key, installKeyOf(**at, cp))) break;
    }
    outcome.placed = item.get();
    list.insert(at, std::move(item));
    return outcome;
}

}  // namespace mfg::items
