// The CD-ROM driver list's order and de-duplication.  Drivers install in
// TYPE order (system patches first, so that every later driver finds them in
// place; unknown types last), then by ID.  A machine gets one driver per
// hardware ID: a driver made for the full 16-character ID of a device beats
// one made for the 8-character family it belongs to, whichever of the two
// the process file names first.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "items/iteminfo.h"
#include "listjob/mfg_list.h"
#include "text/mbstring.h"
#include "trace/trace_log.h"

namespace mfg {

namespace {

// Lower ranks install earlier; a TYPE outside the table ranks after all of
// them.  The order is the factory's install order and must not be sorted.
constexpr const char* kTypeRanks[] = {
    "SYSPATCH", "MAINBOARD", "DISPLAY",  "NETCARD", "SOUND", "TVCARD",
    "1394",     "FAX",       "KEYBOARD", "BOX",     "POWER", "SOFTWARE",
};
constexpr int kUnknownTypeRank = static_cast<int>(std::size(kTypeRanks));

// Only these two lengths of hardware ID relate to each other: a family ID
// and the full device ID that begins with it.
constexpr std::size_t kFamilyIdLength = 8;
constexpr std::size_t kDeviceIdLength = 16;

// A record's text field as a C string would read it, but never past the
// field: a record filled by other code may lack its terminator.
template <std::size_t N>
std::string_view fieldText(const char (&field)[N]) {
    return text::untilNul(std::string_view(field, N));
}

// No trimming: a TYPE with blanks around it is a different word.
int rankOf(std::string_view type, const text::CodePage& cp) {
    for (int rank = 0; rank < kUnknownTypeRank; ++rank) {
        if (text::equalsNoCase(type, kTypeRanks[rank], cp)) return rank;
    }
    return kUnknownTypeRank;
}

int rankOf(const ITEMINFO& item, const text::CodePage& cp) {
    return rankOf(fieldText(item.type), cp);
}

}  // namespace

int CMfgList::GetTypeRank(std::string type) {
    return rankOf(type, text::CodePage::active());
}

int CMfgList::AddDriverItem(std::unique_ptr<ITEMINFO> item) {
    return AddDriverItem(std::move(item), text::CodePage::active());
}

int CMfgList::AddDriverItem(std::unique_ptr<ITEMINFO> item, const text::CodePage& cp) {
    if (!item) return 0;

    // Upper-cased copies only: the records keep the IDs as their process
    // files spell them, and that is what reaches the list file.
    const std::string newId = text::toUpperAscii(fieldText(item->hardId), cp);

    // The earliest held entry that relates to the new one decides, so an
    // outcome never depends on entries further down the list.  A refused
    // record is released when `item` goes out of scope.
    for (std::unique_ptr<ITEMINFO>& held : driverList) {
        if (!held) continue;  // an empty slot left by other code relates to nothing
        const std::string heldId = text::toUpperAscii(fieldText(held->hardId), cp);
        if (newId == heldId) {
            TraceLog("IS EXIST , NOT ADD");
            return 0;
        }
        if (heldId.size() == kFamilyIdLength && newId.size() == kDeviceIdLength &&
            newId.compare(0, kFamilyIdLength, heldId) == 0) {
            TraceLog("IS EXIST , NEW IS 16 ,UPDATE THIS ,OLD = %s , NEW = %s", heldId.c_str(),
                     newId.c_str());
            // The device driver installs when the family driver would have,
            // whatever its own TYPE and ID say; the family driver goes.
            held = std::move(item);
            return 0;
        }
        if (heldId.size() == kDeviceIdLength && newId.size() == kFamilyIdLength &&
            heldId.compare(0, kFamilyIdLength, newId) == 0) {
            TraceLog("IS EXIST , NEW IS 8 ,NOT ADD ");
            return 0;
        }
    }

    // Before the first held entry of a later rank, or of the same rank and
    // an ID that is not smaller: of two equal keys the newer stands first.
    const int rank = rankOf(*item, cp);
    const std::int32_t id = item->id;
    auto at = driverList.begin();
    for (; at != driverList.end(); ++at) {
        if (!*at) continue;
        const int heldRank = rankOf(**at, cp);
        if (rank < heldRank || (rank == heldRank && (*at)->id >= id)) break;
    }
    driverList.insert(at, std::move(item));
    return 1;
}

}  // namespace mfg
