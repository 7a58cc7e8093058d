// The report of a preview: the run and its list as a person reads it (a
// table that fits the width it is given), or as the JSON of the contract.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/run_options.h"
#include "ids/id_devices.h"
#include "json_contract.h"
#include "run/plan.h"
#include "run/scratch_run.h"
#include "run/shown_place.h"

namespace mfgtool {

// "DrvProc.ini:51 [VGA_C0DE]"
std::string placeText(const ShownPlace& place);
// placeText cut to `width` columns: the folder first, then the end of the
// section, then the end of the file's name, the line last.
std::string fitPlaceText(const ShownPlace& place, std::size_t width);
Json placeJson(const ShownPlace& place);

struct PreviewProblems;

struct ReportContext {
    const Plan& plan;
    const LibraryRun& run;
    std::string libraryFile;
    bool showTrace = false;
    // The section each entry came from, one per entry; empty when not known.
    std::vector<std::optional<ShownPlace>> sources = {};
    std::optional<std::string> sourceNote = {};  // why `sources` is empty for a list with entries
    const PreviewProblems* problems = nullptr;   // preview's own findings
    // Which devices of the IDs the list leaves without an entry; nullopt
    // when the list matches no IDs.
    std::optional<DeviceCoverage> coverage = std::nullopt;
    // The device names of pci.ids and usb.ids, for the IDs shown; null
    // names none.
    const IdNames* names = nullptr;
};

// " (kind and Windows from the IDs file's header)" when a model file's
// header chose them, else "": an option given wins over the header.
std::string settingsOrigin(const Plan& plan);

// A device in words: its name when known (unless its comment, as `mfglist
// ids` writes it with the databases at hand, names it already), its comment
// ("IDs" when it has none), then its IDs.
std::string deviceText(const IdDevice& device,
                       const std::optional<std::string>& name = std::nullopt);
// deviceText without the IDs: the name and the comment, or the comment.
std::string deviceLabel(const IdDevice& device, const std::optional<std::string>& name);

// Each device on a line of its own, as deviceText gives it, with its name
// from `names` (one per device, when known).  `devices` as shownDevices
// (list_coverage.h) gives them.
void printUncoveredDevices(const std::vector<IdDevice>& devices, const std::string& indent,
                           std::ostream& out,
                           const std::vector<std::optional<std::string>>& names = {});

// Preview's and explain's lines on coverage: the devices no listed entry
// claims, or why nothing can be uncovered.
void printCoverageText(const ReportContext& context, std::ostream& out);

// The "coverage" member of preview and explain: coverageJson, or null when
// the list matches no IDs.
Json coverageMember(const ReportContext& context);

// `width` in terminal columns; 0 = no limit.
void printPreviewText(const ReportContext& context, std::size_t width, std::ostream& out);

// `status` is "ok", "empty", "no-list" or "failed".
Json previewJson(const ReportContext& context, const std::string& status, int exitStatus);

}  // namespace mfgtool
