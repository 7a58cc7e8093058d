#include "id_devices.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

#include "common/errors.h"
#include "common/text_encoding.h"
#include "id_file.h"
#include "id_names.h"
#include "items/filters.h"
#include "items/hardware_id.h"
#include "text/mbstring.h"

namespace mfgtool {
namespace {

enum class LineKind { blank, comment, id };

std::string_view trimmedLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return line.substr(first, line.find_last_not_of(" \t") - first + 1);
}

LineKind kindOf(std::string_view line) {
    if (line.empty()) return LineKind::blank;
    return line.front() == '#' || line.front() == ';' ? LineKind::comment : LineKind::id;
}

// IDs outside any block, one group per family: the first eight characters
// (the whole ID when it is shorter), upper-cased as the library compares.
void addByFamily(std::vector<IdDevice>& devices, std::map<std::string, std::size_t>& families,
                 const std::string& id, const mfg::text::CodePage& cp) {
    const std::string family =
        mfg::text::toUpperAscii(std::string_view(id).substr(0, mfg::items::kFamilyIdLength), cp);
    const auto [at, added] = families.emplace(family, devices.size());
    if (added) devices.push_back(IdDevice{});
    devices[at->second].ids.push_back(id);
}

}  // namespace

std::vector<IdDevice> idFileDevices(std::string_view bytes, int codePage, const std::string& name,
                                    const std::vector<std::string>& looseIds) {
    const mfg::text::CodePage cp(static_cast<unsigned>(codePage));
    // The IDs as a run takes them (checked and in the code page); the walk
    // below only tells which block each belongs to.
    const std::vector<std::string> ids = idsFromText(bytes, IdLines::tidy, codePage, name);
    bool unicode = false;
    const std::string text = decodeIdsText(bytes, unicode);

    std::vector<IdDevice> devices;
    std::map<std::string, std::size_t> families;
    for (const std::string& id : looseIds) addByFamily(devices, families, id, cp);
    bool inHeader = true;
    std::size_t headerLines = 0;
    constexpr std::size_t kNoBlock = static_cast<std::size_t>(-1);
    std::size_t block = kNoBlock;  // the device the next ID belongs to
    std::optional<std::string> comment;
    std::size_t nextId = 0;
    for (std::size_t at = 0; at <= text.size() && nextId < ids.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string_view line = trimmedLine(std::string_view(text).substr(at, end - at));
        at = end + 1;
        switch (kindOf(line)) {
            case LineKind::blank:
                // A blank line ends the header (blank lines above it do not).
                if (headerLines > 0) inHeader = false;
                block = kNoBlock;
                comment.reset();
                break;
            case LineKind::comment:
                block = kNoBlock;
                if (inHeader) {
                    ++headerLines;
                    break;
                }
                {
                    const std::string words(trimmedLine(line.substr(1)));
                    comment = unicode ? words : decodeCodePage(words, codePage).utf8;
                }
                break;
            case LineKind::id:
                inHeader = false;
                if (comment) {
                    block = devices.size();
                    devices.push_back(IdDevice{std::move(*comment), {}});
                    comment.reset();
                }
                if (block != kNoBlock)
                    devices[block].ids.push_back(ids[nextId]);
                else
                    addByFamily(devices, families, ids[nextId], cp);
                ++nextId;
                break;
        }
    }
    return devices;
}

std::optional<std::filesystem::path> ignoreFile(const std::filesystem::path& folder,
                                                const std::optional<std::string>& given,
                                                int codePage) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::optional<fs::path> file;
    if (given) {
        if (!fs::exists(fs::symlink_status(*given, ec)))
            throw UsageError("no ignore file " + *given +
                             "; give --ignore a file of device IDs, one a line");
        file = fs::path(*given);
    } else if (!folder.empty()) {
        fs::directory_iterator it(folder, ec);
        for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
            if (lowerAscii(it->path().filename().string()) != kIgnoreFileName) continue;
            if (file)
                throw UsageError("the catalogue holds two ignore files, " + file->string() +
                                 " and " + it->path().string() + "; keep one");
            file = it->path();
        }
    }
    if (!file) return std::nullopt;
    // Read once here, so that what is wrong with it is said of the ignore
    // file before any model runs.
    (void)idFileBytes(*file, "the ignore file", codePage);
    return file;
}

std::vector<std::string> DeviceCoverage::uncoveredIds() const {
    std::vector<std::string> ids;
    for (const IdDevice& device : uncovered)
        ids.insert(ids.end(), device.ids.begin(), device.ids.end());
    return ids;
}

DeviceCoverage deviceCoverage(const std::vector<IdDevice>& devices,
                              const std::vector<std::string>& claims,
                              const std::vector<std::string>& ignore, bool hardwareIds,
                              int codePage) {
    const mfg::text::CodePage cp(static_cast<unsigned>(codePage));
    const auto upperSet = [&](const std::vector<std::string>& texts) {
        std::vector<std::string> upper;
        for (const std::string& text : texts)
            if (!text.empty()) upper.push_back(mfg::text::toUpperAscii(text, cp));
        std::sort(upper.begin(), upper.end());
        upper.erase(std::unique(upper.begin(), upper.end()), upper.end());
        return upper;
    };
    const std::vector<std::string> claimed = upperSet(claims);
    const std::vector<std::string> ignored = upperSet(ignore);
    DeviceCoverage coverage;
    for (const IdDevice& device : devices) {
        if (device.ids.empty()) continue;
        ++coverage.devices;
        // The device's IDs in the place of a host's, each claim in the place
        // of a section's: the very look-up that decides a match in a run.
        std::vector<const char*> hostIds;
        for (const std::string& id : device.ids) hostIds.push_back(id.c_str());
        const mfg::items::HostIds host(static_cast<int>(hostIds.size()), hostIds.data(), cp);
        const auto takes = [&](const std::vector<std::string>& mine) {
            return std::any_of(mine.begin(), mine.end(), [&](const std::string& one) {
                return host.firstMatch(one, hardwareIds) >= 0;
            });
        };
        if (takes(ignored))
            ++coverage.ignored;
        else if (!takes(claimed))
            coverage.uncovered.push_back(device);
    }
    return coverage;
}

std::vector<IdDevice> shownDevices(const std::vector<IdDevice>& devices, int codePage) {
    std::vector<IdDevice> shown;
    for (const IdDevice& device : devices) {
        IdDevice one{device.comment, {}};
        for (const std::string& id : device.ids)
            one.ids.push_back(decodeCodePage(id, codePage).utf8);
        shown.push_back(std::move(one));
    }
    return shown;
}

std::vector<std::optional<std::string>> deviceNames(const std::vector<IdDevice>& shown,
                                                    const IdNames* names) {
    std::vector<std::optional<std::string>> named(shown.size());
    if (names)
        for (std::size_t d = 0; d < shown.size(); ++d) named[d] = names->nameOfDevice(shown[d].ids);
    return named;
}

Json devicesJson(const std::vector<IdDevice>& shown,
                 const std::vector<std::optional<std::string>>& names) {
    Json devices = Json::array();
    for (std::size_t d = 0; d < shown.size(); ++d) {
        Json device = {{"comment", shown[d].comment}, {"ids", shown[d].ids}};
        if (d < names.size() && names[d]) device["name"] = *names[d];
        devices.push_back(std::move(device));
    }
    return devices;
}

Json coverageJson(const DeviceCoverage& coverage, int codePage, const IdNames* names) {
    const std::vector<IdDevice> shown = shownDevices(coverage.uncovered, codePage);
    Json ids = Json::array();
    for (const IdDevice& device : shown)
        for (const std::string& id : device.ids) ids.push_back(id);
    return {{"devices", coverage.devices},
            {"ignored", coverage.ignored},
            {"uncovered_devices", devicesJson(shown, deviceNames(shown, names))},
            {"uncovered_ids", std::move(ids)}};
}

}  // namespace mfgtool
