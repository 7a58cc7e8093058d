// CD-ROM order: drivers of DrvProc.ini that the driver list's one-driver-
// per-hardware-ID rule keeps out.  The list takes the matched entries in file
// order; the first held entry of an ID keeps later ones of that ID out, and a
// 16-character device ID takes the place of the 8-character family it
// belongs to, whichever comes first.
#include <algorithm>
#include <map>
#include <string>

#include "checks.h"
#include "common/version_text.h"
#include "items/hardware_id.h"
#include "text/mbstring.h"

namespace mfgtool::lint {

using mfg::items::Key;

namespace {

struct Driver {
    const SectionView* section;
    std::string id;  // upper-cased, as the list compares them
    bool sysPatch;   // matched on every machine
};

// The drivers the list may match, in file order.
std::vector<Driver> matchableDrivers(const FileCheck& check) {
    std::vector<Driver> drivers;
    for (const SectionView& section : check.view.sections) {
        if (!check.isListable(section)) continue;
        const bool sysPatch =
            mfg::text::toUpperAscii(check.value(section, Key::type), check.cp) == "SYSPATCH";
        std::string id = mfg::text::toUpperAscii(check.value(section, Key::hardId), check.cp);
        if (id.empty() && !sysPatch) continue;  // never matched: told by the HARDID check
        drivers.push_back({&section, std::move(id), sysPatch});
    }
    return drivers;
}

// `d` kept out by the earlier driver `e` of its ID.  File order decides, not
// VERSION: a newer driver kept out means the PC installs the older one.
void reportShadowed(FileCheck& check, const Driver& d, const Driver& e) {
    const std::string keptVersion = check.value(*e.section, Key::version);
    const std::string ownVersion = check.value(*d.section, Key::version);
    const bool newerKeptOut = isNewerVersion(ownVersion, keptVersion);
    check.report(d.section->line, 1, "shadowed-entry",
                 sectionLabel(*d.section) + " is never listed: " + sectionLabel(*e.section) +
                     " (line " + std::to_string(e.section->line) + ") has the same HARDID " +
                     (d.id.empty() ? std::string("(none)") : d.id) +
                     " and wins because it comes first in the file" +
                     (newerKeptOut ? ", though its VERSION " + keptVersion + " is older than " +
                                         ownVersion + ": the PC gets the older driver"
                                   : std::string()),
                 newerKeptOut ? "move the newer entry above the older one, or remove "
                                "the older one"
                              : "remove the entry that must not install, or give it its "
                                "own HARDID",
                 newerKeptOut ? Severity::error : Severity::warning);
}

}  // namespace

void checkCdromOrder(FileCheck& check) {
    if (check.role != FileRole::drvProc) return;
    const std::vector<Driver> drivers = matchableDrivers(check);
    // The first driver of each ID, the first SYSPATCH of each ID, and the
    // first device driver (SYSPATCH first) of each family: one pass, so a
    // large file costs no more than its size.
    std::map<std::string, std::size_t> firstOfId, firstSysPatchOfId;
    std::map<std::string, std::size_t> deviceOfFamily, sysPatchDeviceOfFamily;
    for (std::size_t at = 0; at < drivers.size(); ++at) {
        const Driver& d = drivers[at];
        firstOfId.emplace(d.id, at);
        if (d.sysPatch) firstSysPatchOfId.emplace(d.id, at);
        if (d.id.size() == mfg::items::kDeviceIdLength) {
            const std::string family = d.id.substr(0, mfg::items::kFamilyIdLength);
            if (!mfg::items::familyIdMatches(family, d.id, check.cp)) continue;
            deviceOfFamily.emplace(family, at);
            if (d.sysPatch) sysPatchDeviceOfFamily.emplace(family, at);
        }
    }
    for (std::size_t later = 0; later < drivers.size(); ++later) {
        const Driver& d = drivers[later];
        // An earlier driver of the same ID keeps this one out when it is
        // matched whenever this one is: always, unless only this one is a
        // SYSPATCH.
        const auto& earlierOf = d.sysPatch ? firstSysPatchOfId : firstOfId;
        const auto earlier = earlierOf.find(d.id);
        if (earlier != earlierOf.end() && earlier->second < later)
            reportShadowed(check, d, drivers[earlier->second]);
        if (d.id.size() != mfg::items::kFamilyIdLength) continue;
        const auto sysPatchDevice = sysPatchDeviceOfFamily.find(d.id);
        if (sysPatchDevice != sysPatchDeviceOfFamily.end()) {
            const Driver& device = drivers[sysPatchDevice->second];
            check.report(d.section->line, 1, "family-superseded",
                         sectionLabel(*d.section) + " (family " + d.id +
                             ") is never listed: " + sectionLabel(*device.section) + " (line " +
                             std::to_string(device.section->line) + ") is a SYSPATCH for device " +
                             device.id + " of that family and always takes its place",
                         "remove one of the two", Severity::warning);
            continue;
        }
        const auto device = deviceOfFamily.find(d.id);
        if (device == deviceOfFamily.end()) continue;
        const Driver& dev = drivers[device->second];
        check.report(d.section->line, 1, "family-superseded",
                     sectionLabel(*d.section) + " (family " + d.id + ") gives way to " +
                         sectionLabel(*dev.section) + " (line " +
                         std::to_string(dev.section->line) + ") on machines with device " + dev.id +
                         ", even for other devices of the family they have",
                     "if a machine can carry two devices of this family, give each its "
                     "16-character entry");
    }
}

}  // namespace mfgtool::lint
