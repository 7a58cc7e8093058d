// The CD-ROM driver list's order and de-duplication.  Drivers install in
// TYPE order (system patches first, so that every later driver finds them in
// place; unknown types last), then by ID.  A machine gets one driver per
// hardware ID: a driver made for the full 16-character ID of a device beats
// one made for the 8-character family it belongs to, whichever of the two
// the process file names first.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "items/iteminfo.h"
#include "text/codepage.h"

namespace mfg::items {

using DriverList = std::vector<std::unique_ptr<ITEMINFO>>;

// The install-order rank of a TYPE, 0 to 12 (12: not a known TYPE).
int typeRank(std::string_view type, const text::CodePage& cp);

// The TYPE of a rank, in install order; null for the rank of an unknown TYPE.
const char* rankedType(int rank);

// What became of a driver offered to the list, and which held entry decided.
enum class Placement {
    joined,             // a new place in key order
    replacedFamily,     // took the place of the held 8-character family driver
    refusedSameId,      // a held entry has the same HARDID
    refusedDeviceHeld,  // a held 16-character driver begins with this family HARDID
};
struct InstallOrderOutcome {
    Placement placement = Placement::joined;
    // The held entry that refused the driver; null when it joined or replaced.
    const ITEMINFO* refusedBy = nullptr;
    // The family driver that left the list, released with the outcome.
    std::unique_ptr<ITEMINFO> replaced;
    // The offered driver's record while it is held (joined or replaced).
    const ITEMINFO* placed = nullptr;
};

// Puts `item` in its place in `list`, takes the place of the held entry it
// supersedes, or releases it when a held entry stands for it already, and
// tells what decided.  It asks every held entry; the list object keeps an
// index beside its list that reaches the same outcomes without doing so
// (listjob/held_driver_index.h), from the parts below.
InstallOrderOutcome placeInInstallOrder(DriverList& list, std::unique_ptr<ITEMINFO> item,
                                        const text::CodePage& cp);

// How a held entry's ID relates to an offered driver's ID (upper-cased with
// text::toUpperAscii): the same ID, the family of the offered device ID, or
// a device ID of the offered family.  The earliest related entry decides.
enum class Relation { none, sameId, familyHeld, deviceHeld };
Relation relationOf(std::string_view heldId, std::string_view offeredUpperId,
                    const text::CodePage& cp);

// What `held`, related to `item` by `relation` (not none), decides: traces
// the decision and, for a held family driver, puts `item` in its slot.
InstallOrderOutcome settleWithHeld(std::unique_ptr<ITEMINFO>& held, Relation relation,
                                   std::unique_ptr<ITEMINFO> item, std::string_view offeredUpperId,
                                   const text::CodePage& cp);

// The install-order key of an entry: its TYPE's rank, then its ID.
struct InstallKey {
    int rank = 0;
    std::int32_t id = 0;
};
InstallKey installKeyOf(const ITEMINFO& item, const text::CodePage& cp);
// A new entry goes before the first held entry for which this is true: of
// a later rank, or of the same rank and an ID that is not smaller (of two
// equal keys the newer stands first).
inline bool goesBefore(const InstallKey& offered, const InstallKey& held) {
    return offered.rank < held.rank || (offered.rank == held.rank && held.id >= offered.id);
}

}  // namespace mfg::items
