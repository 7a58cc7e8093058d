// Which devices of the run's IDs its list leaves without a driver (or a
// package): the one answer preview, explain and every model of a line give.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ids/id_devices.h"
#include "list/install_list.h"
#include "plan.h"

namespace mfgtool {

// The ignore file's entries for a run of `plan`: `given`, else the ignore
// file of the catalogue the ID file stands in (none for standard input).
std::vector<std::string> ignoreEntries(const Plan& plan, const std::optional<std::string>& given);

// nullopt when the list matches no IDs (a process-file driver list, the
// complete software list): then nothing can be uncovered.  Each listed
// entry claims devices with its HARDID (driver list) or PACKETNAME.
std::optional<DeviceCoverage> listCoverage(const Plan& plan, const InstallList& list,
                                           const std::vector<std::string>& ignore);

}  // namespace mfgtool
