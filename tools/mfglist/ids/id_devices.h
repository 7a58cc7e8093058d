// The devices of an ID file and which of them a list covers.  `mfglist ids`
// writes each device as a comment naming it followed by its IDs (a PCI
// device's 16-character ID, then its 8-character family ID); a device is
// covered when one listed entry claims any of its IDs, whatever their order
// and whichever ID the library happened to match first.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/json.h"

namespace mfgtool {

class IdNames;

struct IdDevice {
    std::string comment;           // UTF-8; "" for IDs grouped by their family
    std::vector<std::string> ids;  // in the library's code page, in file order
};

// The devices of an ID file's text (its bytes, in any encoding idsFromText
// reads; `name` is how messages name it).  The leading comment block is the
// file's header; after it, a comment line opens a device block that holds
// the IDs below it up to the next comment or blank line (of several comment
// lines in a row the last names the device).  IDs outside any block, and
// `looseIds` (IDs given one by one), are grouped by their first eight
// characters without regard to case.
std::vector<IdDevice> idFileDevices(std::string_view bytes, int codePage, const std::string& name,
                                    const std::vector<std::string>& looseIds = {});

struct DeviceCoverage {
    std::size_t devices = 0;  // all of them, ignored ones included
    std::size_t ignored = 0;
    std::vector<IdDevice> uncovered;  // in the file's order

    // Every ID of every uncovered device.
    std::vector<std::string> uncoveredIds() const;
};

// `claims` are the listed entries' HARDIDs (`hardwareIds`) or PACKETNAMEs,
// `ignore` the ignore file's entries, all in the library's code page.  Each
// takes a device when it matches one of the device's IDs as a section's ID
// matches the host's in a run: equal without regard to case, and for
// hardware IDs an 8-character one as the family of longer IDs.
DeviceCoverage deviceCoverage(const std::vector<IdDevice>& devices,
                              const std::vector<std::string>& claims,
                              const std::vector<std::string>& ignore, bool hardwareIds,
                              int codePage);

// The ignore file's name in a catalogue, used when --ignore names none.
inline const char* const kIgnoreFileName = "ignore.ids";

// The ignore file (device IDs that need no driver): `given` (it must
// exist), else the catalogue `folder`'s ignore.ids (any case) when there is
// one.  Throws UsageError naming it as the ignore file when it cannot be
// read as an ID file, and when the folder holds two files of that name.
std::optional<std::filesystem::path> ignoreFile(const std::filesystem::path& folder,
                                                const std::optional<std::string>& given,
                                                int codePage);

// `devices` with their IDs as UTF-8, as reports show them.
std::vector<IdDevice> shownDevices(const std::vector<IdDevice>& devices, int codePage);

// Each device's name from the first of its IDs the databases know (none
// for the others, and for every device when `names` is null).
std::vector<std::optional<std::string>> deviceNames(const std::vector<IdDevice>& shown,
                                                    const IdNames* names);

// [{"comment", "ids"}] of devices shownDevices gave, with "name" where
// `names` (one per device, or none) holds one.
Json devicesJson(const std::vector<IdDevice>& shown,
                 const std::vector<std::optional<std::string>>& names = {});

// {"devices", "ignored", "uncovered_devices": [{"comment", "ids", "name"}],
// "uncovered_ids"}, every text UTF-8; the coverage member of preview,
// explain and each model's run.  Devices are named only with `names`.
Json coverageJson(const DeviceCoverage& coverage, int codePage, const IdNames* names = nullptr);

// One member of devicesJson back.
IdDevice deviceFromJson(const Json& device);

}  // namespace mfgtool
