// Each model's two lists compared, the line run over OLD against the run
// over NEW, as `diff` compares two lists; and the same changes turned round:
// each changed section with the models whose list shows it, and the entries
// that no model gets any more or that some model gets again.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "line_runs.h"
#include "list/compared_list.h"

namespace mfgtool {

// The devices uncovered in `now` that were not in `was`: both runs of one
// model, whose devices come from the same ID file.  None unless both
// matched IDs.
std::vector<IdDevice> newlyUncovered(const ModelRun& was, const ModelRun& now);

struct ModelImpact {
    const ModelRun* before = nullptr;
    const ModelRun* after = nullptr;
    ComparedList oldList, newList;
    ListDiff diff;
    // Parallel to diff.added: the removed entry (its place in diff.removed)
    // that claimed the same HARDID, which the added one takes the place of.
    std::vector<std::optional<std::size_t>> replaces;
    // The model's devices that lose their driver (covered over OLD, not over
    // NEW) and those that gain one; none when the lists match no IDs.
    std::vector<IdDevice> lostDrivers, gainedDrivers;
    bool changed = false;
};

// A VERSION that goes down, of an entry changed in place or of one that
// takes the place of another for the same device.
bool versionGoesDown(const std::optional<std::string>& before,
                     const std::optional<std::string>& after);
// A key of a listed entry changed in place: its VERSION goes down.
bool versionGoesDown(const KeyChange& change);

// One change of a section and the models whose list shows it.
struct SectionChange {
    enum class Kind { added, removed, moved, changed, unseen };
    Kind kind = Kind::changed;
    std::string section;
    std::string name;  // NAME in the list (removed: the old list's)
    // changed, unseen: the key and its two values (none: not there).
    std::string key;
    std::optional<std::string> before, after;
    // added: the section whose entry it takes the place of, and the two
    // entries' VERSION.
    std::string replaces;
    std::optional<std::string> replacedVersion, version;
    bool downgrade = false;           // its VERSION goes down
    std::vector<std::size_t> models;  // in the catalogue's order; none for unseen
};

const char* sectionChangeKind(SectionChange::Kind kind);

// An entry section that no model gets any more (dead), or that some model
// gets again.
struct EntryLifeChange {
    const LineRow* row = nullptr;  // in the NEW run
    bool nowDead = false;
    bool isNew = false;               // a section OLD did not have
    std::vector<std::size_t> models;  // dead: those that listed it; live: those that list it now
};

struct LineImpact {
    std::vector<ModelImpact> models;           // in the catalogue's order
    std::size_t changed = 0;                   // models whose list changes
    std::vector<SectionChange> changes;        // by section in the order NEW lists them
    std::vector<EntryLifeChange> lifeChanges;  // in file order
};

// `before` and `after` ran the same catalogue; both must outlive the result.
LineImpact compareLineRuns(const LineRun& before, const LineRun& after);

}  // namespace mfgtool
