#include "impact_model.h"

#include <algorithm>

#include "ids/id_devices.h"

namespace mfgtool {
namespace {

std::optional<std::string> valueOrNone(const KeyValues& keys, const std::string& key) {
    for (const auto& [name, value] : keys)
        if (name == key) return value;
    return std::nullopt;
}

std::string sectionAt(const ComparedList& list, std::size_t i) {
    return i < list.sections.size() ? list.sections[i] : std::string();
}

ImpactEntry entryAt(const ComparedList& list, std::size_t i) {
    ImpactEntry entry;
    entry.position = i;
    entry.section = sectionAt(list, i);
    entry.name = valueOrNone(list.entries[i], "NAME").value_or("");
    entry.hardId = valueOrNone(list.entries[i], "HARDID").value_or("");
    return entry;
}

ModelImpactRow rowOf(const ModelImpact& impact, std::size_t model) {
    ModelImpactRow row;
    row.model = model;
    row.impact = &impact;
    row.name = impact.after->model.name;
    row.displayName = impact.after->displayName;
    row.changed = impact.changed;
    row.oldListWritten = impact.before->listWritten;
    row.newListWritten = impact.after->listWritten;
    row.oldEntries = impact.oldList.entries.size();
    row.newEntries = impact.newList.entries.size();
    const ListDiff& diff = impact.diff;
    for (std::size_t a = 0; a < diff.added.size(); ++a) {
        ImpactEntry entry = entryAt(impact.newList, diff.added[a]);
        if (const auto r = a < impact.replaces.size() ? impact.replaces[a] : std::nullopt) {
            const std::size_t old = diff.removed[*r];
            entry.replaces = sectionAt(impact.oldList, old);
            entry.downgrade =
                versionGoesDown(valueOrNone(impact.oldList.entries[old], "VERSION"),
                                valueOrNone(impact.newList.entries[diff.added[a]], "VERSION"));
        }
        row.added.push_back(std::move(entry));
    }
    for (const std::size_t i : diff.removed) row.removed.push_back(entryAt(impact.oldList, i));
    for (const EntryChange& change : diff.matched) {
        const ImpactEntry entry = entryAt(impact.newList, change.after);
        if (change.moved)
            row.moved.push_back({entry.section, entry.name, change.before, change.after});
        for (const KeyChange& key : change.keys)
            row.fields.push_back(
                {entry.section, entry.name, change.after, key, versionGoesDown(key)});
    }
    if (row.oldListWritten && row.newListWritten) row.system = diff.system;
    return row;
}

}  // namespace

ImpactReport buildImpactReport(const LineOptions& options, const LineImpact& impact,
                               const std::string& oldName, const std::string& newFolder,
                               int exitStatus, const IdNames* names) {
    ImpactReport report;
    report.options = &options;
    report.impact = &impact;
    report.oldName = oldName;
    report.newFolder = newFolder;
    report.status = impact.changed ? "changed" : "unchanged";
    report.exitStatus = exitStatus;
    for (std::size_t m = 0; m < impact.models.size(); ++m) {
        report.models.push_back(rowOf(impact.models[m], m));
        // The databases are read only for the devices shown.
        ModelImpactRow& row = report.models.back();
        row.lostNames = deviceNames(row.lostDrivers(), names);
        row.gainedNames = deviceNames(row.gainedDrivers(), names);
    }
    for (std::size_t c = 0; c < impact.changes.size(); ++c)
        for (const std::size_t m : impact.changes[c].models)
            if (m < report.models.size()) report.models[m].changes.push_back(c);
    for (const EntryLifeChange& life : impact.lifeChanges)
        for (const std::size_t m : life.models)
            if (m < report.models.size())
                (life.nowDead ? report.models[m].nowDead : report.models[m].liveAgain)
                    .push_back(life.row->id);

    ImpactTotals& totals = report.totals;
    totals.models = report.models.size();
    totals.changed = impact.changed;
    totals.sectionChanges = impact.changes.size();
    for (const SectionChange& change : impact.changes) totals.downgrades += change.downgrade;
    for (const EntryLifeChange& life : impact.lifeChanges)
        ++(life.nowDead ? totals.nowDead : totals.liveAgain);
    for (const ModelImpactRow& row : report.models) {
        totals.needingAttention += row.needsAttention();
        totals.lostDrivers += row.lostDrivers().size();
        totals.gainedDrivers += row.gainedDrivers().size();
        totals.entryProblems += row.entryProblems().size();
        if (row.changed || row.needsAttention())
            report.summary.push_back(row.model);
        else
            report.unchanged.push_back(row.model);
    }
    std::stable_sort(
        report.summary.begin(), report.summary.end(), [&](std::size_t a, std::size_t b) {
            return report.models[a].needsAttention() && !report.models[b].needsAttention();
        });
    // The consequences a reviewer must not miss go into the one line that
    // heads every output.
    const auto count = [](std::size_t n, const char* one, const char* many) {
        return ", " + std::to_string(n) + " " + (n == 1 ? one : many);
    };
    report.summaryText =
        std::to_string(totals.changed) + " of " + std::to_string(totals.models) + " models change";
    if (totals.lostDrivers)
        report.summaryText +=
            count(totals.lostDrivers, "device loses its driver", "devices lose their driver");
    if (totals.gainedDrivers)
        report.summaryText +=
            count(totals.gainedDrivers, "device gains a driver", "devices gain a driver");
    return report;
}

const std::vector<ImpactFigure>& impactFigures() {
    static const std::vector<ImpactFigure> figures = {
        {"Added", "ADDED", "added", [](const ModelImpactRow& r) { return r.added.size(); }},
        {"Removed", "REMOVED", "removed", [](const ModelImpactRow& r) { return r.removed.size(); }},
        {"Moved", "MOVED", "moved", [](const ModelImpactRow& r) { return r.moved.size(); }},
        {"Changed keys", "KEYS", "changed_fields",
         [](const ModelImpactRow& r) { return r.fields.size(); }},
        {"Devices losing a driver", "LOSE DRIVER", "lost_drivers",
         [](const ModelImpactRow& r) { return r.lostDrivers().size(); }},
        {"Devices gaining one", "GAIN DRIVER", "gained_drivers",
         [](const ModelImpactRow& r) { return r.gainedDrivers().size(); }},
        {"Entries a host cannot run", "CANNOT RUN", "entry_problems",
         [](const ModelImpactRow& r) { return r.entryProblems().size(); }},
    };
    return figures;
}

std::string shownValue(const std::optional<std::string>& value) {
    return value ? "\"" + *value + "\"" : "(none)";
}

std::string changeDetail(const SectionChange& change, const std::string& arrow) {
    std::string detail;
    if (change.kind == SectionChange::Kind::changed || change.kind == SectionChange::Kind::unseen)
        detail = change.key + ": " + shownValue(change.before) + arrow + shownValue(change.after);
    if (!change.replaces.empty()) {
        detail = "in place of " + change.replaces;
        const auto given = [](const std::optional<std::string>& version) {
            return version && !version->empty();
        };
        if (given(change.replacedVersion) || given(change.version))
            detail += ", VERSION " + shownValue(change.replacedVersion) + arrow +
                      shownValue(change.version);
    }
    if (change.downgrade) detail += "  VERSION GOES DOWN";
    return detail;
}

}  // namespace mfgtool
