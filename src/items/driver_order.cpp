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

bool addInInstallOrder(DriverList& list, std::unique_ptr<ITEMINFO> item, const text::CodePage& cp) {
    if (!item) return false;
    return placeInInstallOrder(list, std::move(item), cp).placement == Placement::joined;
}

InstallOrderOutcome placeInInstallOrder(DriverList& list, std::unique_ptr<ITEMINFO> item,
                                        const text::CodePage& cp) {
    InstallOrderOutcome outcome;
    if (!item) {
        outcome.placement = Placement::refusedSameId;
        return outcome;
    }

    // Upper-cased copies only: the records keep the IDs as their process
    // files spell them, and that is what reaches the list file.
    const std::string newId = text::toUpperAscii(fieldText(item->hardId), cp);

    // The earliest held entry that relates to the new one decides, so an
    // outcome never depends on entries further down the list.  A refused
    // record is released when `item` goes out of scope.  Every held entry is
    // asked, so the IDs are compared in place (upper-casing `newId`'s first
    // eight bytes leaves them as they are) and a held ID is copied only for
    // the trace.
    const std::string_view newFamily = std::string_view(newId).substr(0, kFamilyIdLength);
    for (std::unique_ptr<ITEMINFO>& held : list) {
        if (!held) continue;  // an empty slot left by other code relates to nothing
        const std::string_view heldId = fieldText(held->hardId);
        if (heldId.size() == newId.size() && text::equalsNoCase(heldId, newId, cp)) {
            TraceLog("IS EXIST , NOT ADD");
            outcome.placement = Placement::refusedSameId;
            outcome.refusedBy = held.get();
            return outcome;
        }
        if (heldId.size() == kFamilyIdLength && newId.size() == kDeviceIdLength &&
            text::equalsNoCase(heldId, newFamily, cp)) {
            TraceLog("IS EXIST , NEW IS 16 ,UPDATE THIS ,OLD = %s , NEW = %s",
                     text::toUpperAscii(heldId, cp).c_str(), newId.c_str());
            // The device driver installs when the family driver would have,
            // whatever its own TYPE and ID say; the family driver goes.
            outcome.placement = Placement::replacedFamily;
            outcome.placed = item.get();
            outcome.replaced = std::move(held);
            held = std::move(item);
            return outcome;
        }
        if (heldId.size() == kDeviceIdLength && newId.size() == kFamilyIdLength &&
            text::equalsNoCase(heldId.substr(0, kFamilyIdLength), newId, cp)) {
            TraceLog("IS EXIST , NEW IS 8 ,NOT ADD ");
            outcome.placement = Placement::refusedDeviceHeld;
            outcome.refusedBy = held.get();
            return outcome;
        }
    }

    // Before the first held entry of a later rank, or of the same rank and
    // an ID that is not smaller: of two equal keys the newer stands first.
    const int rank = rankOf(*item, cp);
    const std::int32_t id = item->id;
    auto at = list.begin();
    for (; at != list.end(); ++at) {
        if (!*at) continue;
        const int heldRank = rankOf(**at, cp);
        if (rank < heldRank || (rank == heldRank && (*at)->id >= id)) break;
    }
    outcome.placed = item.get();
    list.insert(at, std::move(item));
    return outcome;
}

}  // namespace mfg::items
