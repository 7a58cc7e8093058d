#include "line_report.h"

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>

#include "ids/id_devices.h"
#include "ids/id_names.h"
#include "line/share_run.h"

namespace mfgtool {
namespace {

ModelSummary summarize(const ModelRun& run, std::size_t model) {
    ModelSummary summary;
    summary.model = model;
    summary.entries = run.entryCount;
    summary.checkedDevices = run.devices - std::min(run.ignoredDevices, run.devices);
    summary.uncoveredDevices = run.uncoveredDevices.size();
    summary.entryProblems = run.entryProblems.size();
    summary.warnings = run.warnings.size();
    summary.failed = run.outcome == kOutcomeFailed || run.outcome == kOutcomeMissingFiles;
    return summary;
}

// The order of the summary: what most needs a person first.  A run with
// no entries gives its model nothing at all, which outweighs any count of
// gaps in a list that has some.
bool comesBefore(const ModelSummary& a, const ModelSummary& b) {
    const auto weight = [](const ModelSummary& s) {
        return std::make_tuple(!s.needsAttention(), !s.failed, s.entries != 0,
                               -static_cast<long long>(s.uncoveredDevices + s.entryProblems),
                               -static_cast<long long>(s.warnings));
    };
    const auto wa = weight(a), wb = weight(b);
    return wa != wb ? wa < wb : a.model < b.model;
}

// Two models have identical lists when their runs came to the same outcome
// and every entry row holds the same position for both.
std::vector<std::vector<std::size_t>> identicalListsOf(const LineRun& line) {
    std::map<std::pair<std::string, std::vector<std::optional<int>>>, std::size_t> groupOf;
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t m = 0; m < line.models.size(); ++m) {
        std::vector<std::optional<int>> positions;
        positions.reserve(line.rows.size());
        for (const LineRow& row : line.rows) positions.push_back(row.positions[m]);
        const auto [at, fresh] = groupOf.emplace(
            std::make_pair(line.models[m].outcome, std::move(positions)), groups.size());
        if (fresh) groups.emplace_back();
        groups[at->second].push_back(m);
    }
    return groups;
}

void nameIds(const LineRun& line, const IdNames& names, LineReport& report) {
    const auto name = [&](const std::string& id) {
        if (id.empty() || report.idNames.count(id)) return;
        if (auto known = names.nameOfId(id)) report.idNames.emplace(id, std::move(*known));
    };
    for (std::size_t m = 0; m < line.models.size(); ++m) {
        for (const IdDevice& device : line.models[m].uncoveredDevices)
            for (const std::string& id : device.ids) name(id);
        report.deviceNames[m] = deviceNames(line.models[m].uncoveredDevices, &names);
    }
    for (const LineRow& row : line.rows) name(row.hardId);
}

// Each model's listed entries, found in one pass over the rows, sorted
// into install order.
std::vector<std::vector<std::pair<int, std::size_t>>> installOrderOf(const LineRun& line) {
    std::vector<std::vector<std::pair<int, std::size_t>>> lists(line.models.size());
    for (std::size_t r = 0; r < line.rows.size(); ++r) {
        const std::vector<std::optional<int>>& positions = line.rows[r].positions;
        for (std::size_t m = 0; m < std::min(positions.size(), lists.size()); ++m)
            if (positions[m]) lists[m].emplace_back(*positions[m], r);
    }
    for (auto& list : lists)
        std::sort(list.begin(), list.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
    return lists;
}

std::vector<UncoveredDevice> uncoveredAcrossModelsOf(const LineRun& line) {
    std::map<std::vector<std::string>, UncoveredDevice> byIds;
    for (std::size_t m = 0; m < line.models.size(); ++m)
        for (const IdDevice& device : line.models[m].uncoveredDevices) {
            UncoveredDevice& gathered = byIds[device.ids];
            if (!gathered.device) gathered.device = &device;
            gathered.models.push_back(m);
        }
    std::vector<UncoveredDevice> devices;
    devices.reserve(byIds.size());
    for (auto& [ids, gathered] : byIds) devices.push_back(std::move(gathered));
    return devices;
}

}  // namespace

bool ModelSummary::needsAttention() const {
    return failed || uncoveredDevices > 0 || entryProblems > 0 || warnings > 0 || entries == 0;
}

const ModelSummary& LineReport::summaryOf(std::size_t model) const {
    return summary[summaryRowOf[model]];
}

const std::string* LineReport::entryProblem(std::size_t model, int position) const {
    const std::unordered_map<int, const std::string*>& problems = entryProblemIndex[model];
    const auto found = problems.find(position);
    return found == problems.end() ? nullptr : found->second;
}

LineReport buildLineReport(const LineOptions& options, const LineRun& line,
                           const std::string& status, int exitStatus, const IdNames* names) {
    LineReport report;
    report.options = &options;
    report.line = &line;
    report.status = status;
    report.exitStatus = exitStatus;
    LineTotals& totals = report.totals;
    totals.models = line.models.size();
    report.entryProblemIndex.resize(line.models.size());
    for (std::size_t m = 0; m < line.models.size(); ++m) {
        const ModelRun& run = line.models[m];
        for (const auto& [position, why] : run.entryProblems)
            report.entryProblemIndex[m].emplace(position, &why);
        report.summary.push_back(summarize(run, m));
        const ModelSummary& summary = report.summary.back();
        totals.modelsNeedingAttention += summary.needsAttention();
        totals.failedModels += summary.failed;
        totals.uncoveredDevices += summary.uncoveredDevices;
        totals.uncoveredIds += run.uncoveredIds.size();
        totals.entryProblems += summary.entryProblems;
        totals.warnings += summary.warnings;
    }
    for (const LineRow& row : line.rows) {
        if (!row.candidate()) {
            ++totals.notCandidates;
            continue;
        }
        ++totals.entries;
        totals.deadEntries += row.dead();
    }
    std::sort(report.summary.begin(), report.summary.end(), comesBefore);
    report.summaryRowOf.resize(report.summary.size());
    for (std::size_t at = 0; at < report.summary.size(); ++at)
        report.summaryRowOf[report.summary[at].model] = at;
    report.identicalLists = identicalListsOf(line);
    report.installOrder = installOrderOf(line);
    report.uncoveredAcrossModels = uncoveredAcrossModelsOf(line);
    report.deviceNames.resize(line.models.size());
    if (names) nameIds(line, *names, report);
    for (std::size_t m = 0; m < line.models.size(); ++m)
        report.deviceNames[m].resize(line.models[m].uncoveredDevices.size());
    return report;
}

}  // namespace mfgtool
