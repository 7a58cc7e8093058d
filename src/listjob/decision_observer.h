// The list run's decisions, told to whoever asks why a list came out as it
// did.  The flows report every section they walk and what became of it:
// which filter left it out and on what value, which host ID it matched,
// where a CD-ROM driver took its place or which held entry refused it, a
// value cut to its field, and the group settings read.  The library itself
// attaches no observer: without one the flows do and cost what they did.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "items/driver_order.h"
#include "items/filters.h"
#include "items/fixed_field.h"
#include "items/iteminfo.h"
#include "items/keys.h"

namespace mfg::listjob {

// A section of a process file: the file as the run names it, the name as the
// header spells it, the header's line (from 1).
struct SectionAt {
    std::string_view file;
    std::string_view section;
    std::uint64_t line = 0;
};

enum class LeftOut {
    otherGroup,                 // GROUP is not the run's group
    softwareInDriverList,       // TYPE SOFTWARE in a driver list
    notSoftwareInSoftwareList,  // any other TYPE in a software list
    noIdMatched,                // the HARDID or PACKETNAME is none of the host's
};

// Where each held CD-ROM driver came from, so that a refusal or a
// replacement can name the entry that decided it.  Kept by the observer, so
// a run without one keeps nothing.
class HeldOrigins {
public:
    void remember(const ITEMINFO* entry, const SectionAt& at);
    void forget(const ITEMINFO* entry) { origins_.erase(entry); }
    // The origin of `entry`; an empty file and line 0 when it is unknown.
    SectionAt find(const ITEMINFO* entry) const;
    void clear();

private:
    struct Origin {
        std::uint32_t file;
        std::uint32_t line;
    };
    std::vector<std::string> files_;
    std::unordered_map<const ITEMINFO*, Origin> origins_;
};

// Every call has an empty default, so an observer takes what it needs.  The
// views live for the length of the call only.
class DecisionObserver : public items::FieldCutListener {
public:
    virtual ~DecisionObserver() = default;

    // A section the walk reached, before any other call about it; the value
    // cuts that follow (fieldCut with items::FieldOwner::entry) are of this section.
    virtual void sectionReached(const SectionAt&) {}
    // A filter left the section out; `compared` is the section's value the
    // filter looked at (its GROUP, TYPE, HARDID or PACKETNAME).
    virtual void sectionLeftOut(const SectionAt&, LeftOut, std::string_view /*compared*/) {}
    // The section's ID matched `hostId` (empty for a SYSPATCH driver, which
    // matches whatever the IDs).
    virtual void idMatched(const SectionAt&, const items::IdMatch&, std::string_view /*hostId*/) {}
    // A write-as-you-go flow wrote the section as list section `listSection`.
    virtual void entryWritten(const SectionAt&, int /*listSection*/) {}
    // A matched CD-ROM driver met the held list: it joined, took the place
    // of `other`, or `other` refused it.  `rank` and `id` are its order key.
    virtual void driverPlaced(const SectionAt&, items::Placement, const SectionAt* /*other*/,
                              int /*rank*/, std::int32_t /*id*/) {}
    // A DrvCofg.ini driver went to the end of the list, as every one does.
    virtual void configDriverAppended(const SectionAt&) {}
    // The CD-ROM driver list was written: `at` stands at `listSection`.
    virtual void driverListed(const SectionAt&, int /*listSection*/, int /*rank*/,
                              std::int32_t /*id*/) {}
    // A group setting as read from the group section of `file` (empty: no
    // process file), before its paths are expanded; "" when it is not set.
    virtual void settingRead(std::string_view /*file*/, std::string_view /*group*/, items::Key,
                             std::string_view /*value*/) {}
    void fieldCut(items::FieldOwner, std::string_view, std::string_view, std::size_t) override {}

    HeldOrigins heldOrigins;
};

}  // namespace mfg::listjob
