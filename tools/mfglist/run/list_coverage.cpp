#include "list_coverage.h"

#include "common/errors.h"
#include "ids/id_file.h"
#include "mfglist/mfglist.h"
#include "section_words.h"

namespace mfgtool {

std::vector<std::string> ignoreEntries(const Plan& plan, const std::optional<std::string>& given) {
    std::optional<std::filesystem::path> file;
    if (given || plan.idsFile) {
        std::filesystem::path folder = plan.idsFile ? plan.idsFile->parent_path() : "";
        if (plan.idsFile && folder.empty()) folder = ".";
        file = ignoreFile(folder, given, plan.codePage);
    }
    if (!file) return {};
    try {
        return readIdsFile(file->string(), IdLines::tidy, plan.codePage);
    } catch (const std::exception& e) {
        // Named as what it is, not as an IDs file of the run.
        throw UsageError("the ignore file " + file->string() + " cannot be used: " + e.what());
    }
}

std::optional<DeviceCoverage> listCoverage(const Plan& plan, const InstallList& list,
                                           const std::vector<std::string>& ignore) {
    if (!runMatchesIds(plan)) return std::nullopt;
    const bool hardwareIds = plan.listKind == LIST_DRIVER;
    const char* const key = hardwareIds ? "HARDID" : "PACKETNAME";
    std::vector<std::string> claims;
    for (const KeyValues& entry : list.entries)
        for (const auto& [name, value] : entry)
            if (name == key) {
                claims.push_back(value);
                break;
            }
    return deviceCoverage(plan.devices, claims, ignore, hardwareIds, plan.codePage);
}

}  // namespace mfgtool
