#include "line_impact.h"

#include <map>
#include <unordered_map>

#include "common/file_reads.h"
#include "common/process_file_view.h"
#include "common/text_encoding.h"
#include "common/version_text.h"
#include "items/hardware_id.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

ComparedList listOf(const ModelRun& run) {
    ComparedList list;
    if (run.listFile.empty()) return list;
    const int codePage = libraryCodePage();
    list = comparedListFromBytes(fileBytes(run.listFile), codePage, run.listFile.string());
    // The folder in a value, written "<folder>\\": OLD and NEW are two folders.
    const std::string& prefix = run.folderForLibrary;
    if (!prefix.empty())
        for (KeyValues& entry : list.entries)
            for (auto& [key, value] : entry)
                for (std::size_t at;
                     (at = findIgnoringAsciiCase(value, prefix)) != std::string::npos;)
                    value.replace(at, prefix.size(), "<folder>\\");
    list.sections.assign(list.entries.size(), "");
    for (const SectionFate& fate : run.sections)
        if (fate.position && *fate.position >= 0 &&
            static_cast<std::size_t>(*fate.position) < list.sections.size())
            list.sections[static_cast<std::size_t>(*fate.position)] = fate.section;
    return list;
}

std::optional<std::string> keyOf(const KeyValues& keys, const std::string& key) {
    for (const auto& [name, value] : keys)
        if (name == key) return value;
    return std::nullopt;
}

std::string sectionOf(const ComparedList& list, std::size_t i) {
    return i < list.sections.size() ? list.sections[i] : std::string();
}

// The device an entry's HARDID claims: a device ID and its family's ID
// claim the same one, as a family entry takes over a device it no longer
// has a board entry for.  "" for none.
std::string deviceOf(const KeyValues& entry) {
    std::string id = upperAscii(keyOf(entry, "HARDID").value_or(""));
    if (id.size() == mfg::items::kDeviceIdLength) id.resize(mfg::items::kFamilyIdLength);
    return id;
}

// Each added entry paired with a removed one that claimed the same device
// (the k-th with the k-th): a driver replaced.
std::vector<std::optional<std::size_t>> replacements(const ModelImpact& model) {
    std::map<std::string, std::vector<std::size_t>> removedById;
    for (std::size_t r = model.diff.removed.size(); r-- > 0;)
        if (std::string id = deviceOf(model.oldList.entries[model.diff.removed[r]]); !id.empty())
            removedById[id].push_back(r);
    std::vector<std::optional<std::size_t>> replaces(model.diff.added.size());
    for (std::size_t a = 0; a < model.diff.added.size(); ++a) {
        const std::string id = deviceOf(model.newList.entries[model.diff.added[a]]);
        if (id.empty()) continue;
        auto found = removedById.find(id);
        if (found == removedById.end() || found->second.empty()) continue;
        replaces[a] = found->second.back();
        found->second.pop_back();
    }
    return replaces;
}

// The changes of every model's list, each change once with the models that
// show it, in the order first met.
void collectChanges(LineImpact& impact) {
    std::map<std::string, std::size_t> known;
    const auto add = [&](SectionChange change, std::size_t model) {
        std::string identity =
            std::string(sectionChangeKind(change.kind)) + '\n' + upperAscii(change.section) + '\n' +
            change.name + '\n' + change.key + '\n' + change.before.value_or("\x01") + '\n' +
            change.after.value_or("\x01") + '\n' + change.replaces + '\n' +
            change.replacedVersion.value_or("\x01") + '\n' + change.version.value_or("\x01");
        const auto [at, isNew] = known.emplace(std::move(identity), impact.changes.size());
        if (isNew) impact.changes.push_back(std::move(change));
        impact.changes[at->second].models.push_back(model);
    };
    for (std::size_t m = 0; m < impact.models.size(); ++m) {
        const ModelImpact& model = impact.models[m];
        for (const std::size_t i : model.diff.removed) {
            SectionChange change;
            change.kind = SectionChange::Kind::removed;
            change.section = sectionOf(model.oldList, i);
            change.name = keyOf(model.oldList.entries[i], "NAME").value_or("");
            add(std::move(change), m);
        }
        for (std::size_t a = 0; a < model.diff.added.size(); ++a) {
            const std::size_t j = model.diff.added[a];
            SectionChange change;
            change.kind = SectionChange::Kind::added;
            change.section = sectionOf(model.newList, j);
            change.name = keyOf(model.newList.entries[j], "NAME").value_or("");
            if (const auto r = model.replaces[a]) {
                const std::size_t i = model.diff.removed[*r];
                change.replaces = sectionOf(model.oldList, i);
                change.replacedVersion = keyOf(model.oldList.entries[i], "VERSION");
                change.version = keyOf(model.newList.entries[j], "VERSION");
                change.downgrade = versionGoesDown(change.replacedVersion, change.version);
            }
            add(std::move(change), m);
        }
        for (const EntryChange& entry : model.diff.matched) {
            SectionChange base;
            base.section = sectionOf(model.newList, entry.after);
            base.name = entry.name;
            if (entry.moved) {
                SectionChange change = base;
                change.kind = SectionChange::Kind::moved;
                add(std::move(change), m);
            }
            for (const KeyChange& key : entry.keys) {
                SectionChange change = base;
                change.kind = SectionChange::Kind::changed;
                change.key = key.key;
                change.before = key.before;
                change.after = key.after;
                change.downgrade = versionGoesDown(key);
                add(std::move(change), m);
            }
        }
    }
}

std::string rowKey(const LineRow& row) {
    return upperAscii(row.file) + '\n' + upperAscii(row.section);
}

// A section's keys as the reader answers them, by the name they match under.
std::map<std::string, std::pair<std::string, std::string>> sectionKeys(const SectionView& section) {
    const int codePage = libraryCodePage();
    std::map<std::string, std::pair<std::string, std::string>> keys;
    for (const KeyLine& key : section.keys)
        if (key.first && !key.comment)
            keys[key.folded] = {decodeCodePage(key.name, codePage).utf8,
                                decodeCodePage(key.value, codePage).utf8};
    return keys;
}

// The folder's sections as its line's rows read them; a line made without
// them reads its files here.
std::shared_ptr<FolderSections> sectionsOf(const LineRun& line) {
    return line.sections ? line.sections : std::make_shared<FolderSections>(line.folder);
}

// Entries that no model gets any more, or that some model gets again; and
// the changed sections whose change no model's list shows.
void collectRowChanges(LineImpact& impact, const LineRun& before, const LineRun& after) {
    std::map<std::string, const LineRow*> old;
    for (const LineRow& row : before.rows) old.emplace(rowKey(row), &row);
    std::map<std::string, bool> shown;  // sections some change names
    for (const SectionChange& change : impact.changes) shown[upperAscii(change.section)] = true;
    const std::shared_ptr<FolderSections> oldSections = sectionsOf(before),
                                          newSections = sectionsOf(after);
    for (const LineRow& row : after.rows) {
        const auto found = old.find(rowKey(row));
        const LineRow* was = found == old.end() ? nullptr : found->second;
        EntryLifeChange life;
        life.row = &row;
        life.isNew = !was;
        if (row.dead() && (!was || !was->dead())) {
            life.nowDead = true;
            for (std::size_t m = 0; was && m < was->positions.size(); ++m)
                if (was->positions[m]) life.models.push_back(m);
            impact.lifeChanges.push_back(std::move(life));
        } else if (!row.dead() && was && was->dead()) {
            for (std::size_t m = 0; m < row.positions.size(); ++m)
                if (row.positions[m]) life.models.push_back(m);
            impact.lifeChanges.push_back(std::move(life));
        }
        if (!was || shown.count(upperAscii(row.section))) continue;
        const SectionView* oldSection = oldSections->at(was->file, was->fileLine);
        const SectionView* newSection = newSections->at(row.file, row.fileLine);
        if (!oldSection || !newSection) continue;
        // The same text holds the same keys: most sections of a change are
        // untouched, and theirs are never read.
        if (oldSection->text == newSection->text) continue;
        oldSection = oldSections->withKeys(was->file, was->fileLine);
        newSection = newSections->withKeys(row.file, row.fileLine);
        const auto oldKeys = sectionKeys(*oldSection), newKeys = sectionKeys(*newSection);
        if (oldKeys == newKeys) continue;
        SectionChange change;
        change.kind = SectionChange::Kind::unseen;
        change.section = row.section;
        change.name = row.name;
        std::map<std::string, bool> names;
        for (const auto& [folded, key] : oldKeys) names[folded] = true;
        for (const auto& [folded, key] : newKeys) names[folded] = true;
        for (const auto& [folded, seen] : names) {
            const auto o = oldKeys.find(folded), n = newKeys.find(folded);
            SectionChange key = change;
            key.key = (n != newKeys.end() ? n->second : o->second).first;
            if (o != oldKeys.end()) key.before = o->second.second;
            if (n != newKeys.end()) key.after = n->second.second;
            if (key.before != key.after) impact.changes.push_back(std::move(key));
        }
    }
}

}  // namespace

std::vector<IdDevice> newlyUncovered(const ModelRun& was, const ModelRun& now) {
    if (!was.idsMatched || !now.idsMatched) return {};
    const auto key = [](const IdDevice& device) {
        std::string joined;
        for (const std::string& id : device.ids) joined += upperAscii(id) + '\n';
        return joined;
    };
    std::map<std::string, bool> uncoveredBefore;
    for (const IdDevice& device : was.uncoveredDevices) uncoveredBefore[key(device)] = true;
    std::vector<IdDevice> devices;
    for (const IdDevice& device : now.uncoveredDevices)
        if (!uncoveredBefore.count(key(device))) devices.push_back(device);
    return devices;
}

bool versionGoesDown(const std::optional<std::string>& before,
                     const std::optional<std::string>& after) {
    return before && after && isNewerVersion(*before, *after);
}

bool versionGoesDown(const KeyChange& change) {
    return upperAscii(change.key) == "VERSION" && versionGoesDown(change.before, change.after);
}

const char* sectionChangeKind(SectionChange::Kind kind) {
    switch (kind) {
        case SectionChange::Kind::added:
            return "added";
        case SectionChange::Kind::removed:
            return "removed";
        case SectionChange::Kind::moved:
            return "moved";
        case SectionChange::Kind::changed:
            return "changed";
        case SectionChange::Kind::unseen:
            return "unseen";
    }
    return "";
}

LineImpact compareLineRuns(const LineRun& before, const LineRun& after) {
    LineImpact impact;
    impact.models.resize(after.models.size());
    for (std::size_t m = 0; m < after.models.size(); ++m) {
        ModelImpact& model = impact.models[m];
        model.before = &before.models[m];
        model.after = &after.models[m];
        model.oldList = listOf(before.models[m]);
        model.newList = listOf(after.models[m]);
        model.diff = compareLists(model.oldList, model.newList);
        model.replaces = replacements(model);
        model.lostDrivers = newlyUncovered(*model.before, *model.after);
        model.gainedDrivers = newlyUncovered(*model.after, *model.before);
        // A device that loses its driver is a change of the model's line
        // even where its list reads the same.
        model.changed = !model.diff.equal() ||
                        model.before->listWritten != model.after->listWritten ||
                        !model.lostDrivers.empty() || !model.gainedDrivers.empty();
        if (model.changed) ++impact.changed;
    }
    collectChanges(impact);
    collectRowChanges(impact, before, after);
    return impact;
}

}  // namespace mfgtool
