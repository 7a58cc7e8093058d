// What impact's comparison comes to for a person, worked out once: the
// line's totals, one summary row per model with those needing a look
// first, each model's changes as its list shows them, and the view by
// change with links both ways (a change's models, a model's changes).
// Impact's text, Markdown, JSON and page render this; none of them counts,
// pairs or sorts anything of its own, so the four can never disagree.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "line/line_impact.h"

namespace mfgtool {

class IdNames;

// An entry added to or removed from a model's list, where it stands there.
struct ImpactEntry {
    std::size_t position = 0;
    std::string section, name, hardId;
    // Added: the section of the removed entry that claimed the same device,
    // whose place it takes, and whether its VERSION is the lower.
    std::optional<std::string> replaces;
    bool downgrade = false;
};

struct ImpactMove {
    std::string section, name;
    std::size_t from = 0, to = 0;
};

// A key of a listed entry changed in place.
struct ImpactField {
    std::string section, name;
    std::size_t position = 0;  // in the new list
    KeyChange change;
    bool downgrade = false;  // a VERSION that goes down
};

struct ModelImpactRow {
    std::size_t model = 0;  // its place in LineImpact::models (the catalogue's order)
    const ModelImpact* impact = nullptr;
    std::string name, displayName;
    bool changed = false;
    bool oldListWritten = false, newListWritten = false;
    std::size_t oldEntries = 0, newEntries = 0;
    std::vector<ImpactEntry> added, removed;
    std::vector<ImpactMove> moved;
    std::vector<ImpactField> fields;
    // A list that is new or gone changes all of SYSTEM: the entries say it,
    // so this holds SYSTEM's keys only when both lists were written.
    std::vector<KeyChange> system;
    std::vector<std::string> nowDead, liveAgain;  // LineRow ids of LineImpact::lifeChanges
    std::vector<std::size_t> changes;             // places in LineImpact::changes its list shows

    // The name of each device of lostDrivers() and gainedDrivers(), one per
    // device, from the ID databases (none where they do not know it).
    std::vector<std::optional<std::string>> lostNames, gainedNames;

    const std::vector<IdDevice>& lostDrivers() const { return impact->lostDrivers; }
    const std::vector<IdDevice>& gainedDrivers() const { return impact->gainedDrivers; }
    // Listed entries of the new list a host cannot run as listed.
    const std::vector<std::pair<int, std::string>>& entryProblems() const {
        return impact->after->entryProblems;
    }
    // A device left without a driver or an entry a host cannot run: worse
    // than a change, which may be meant.
    bool needsAttention() const { return !lostDrivers().empty() || !entryProblems().empty(); }
};

struct ImpactTotals {
    std::size_t models = 0;
    std::size_t changed = 0;
    std::size_t needingAttention = 0;
    std::size_t sectionChanges = 0;  // LineImpact::changes
    std::size_t downgrades = 0;      // of those, VERSION going down
    std::size_t nowDead = 0, liveAgain = 0;
    std::size_t lostDrivers = 0, gainedDrivers = 0;  // devices, over every model
    std::size_t entryProblems = 0;
};

struct ImpactReport {
    const LineOptions* options = nullptr;
    const LineImpact* impact = nullptr;
    std::string oldName;    // the old folder's name, or FOLDER@REV
    std::string newFolder;  // as given
    std::string status;     // "changed" or "unchanged"
    int exitStatus = 0;
    ImpactTotals totals;
    std::string summaryText;             // "2 of 6 models change"
    std::vector<ModelImpactRow> models;  // in the catalogue's order
    // The summary table's rows (places in `models`): every model that
    // changes or needs attention, those needing attention first, each part
    // in the catalogue's order.  The rest are `unchanged`, folded away.
    std::vector<std::size_t> summary;
    std::vector<std::size_t> unchanged;

    bool anyChangeView() const { return !impact->changes.empty() || !impact->lifeChanges.empty(); }
};

// A figure of a summary row: every rendering shows these, in this order.
// `member` is the JSON member of a model whose length the figure is.
struct ImpactFigure {
    const char* heading;
    const char* shortHeading;  // a text table's column
    const char* member;
    std::size_t (*of)(const ModelImpactRow& row);
};
const std::vector<ImpactFigure>& impactFigures();

// `options` and `impact` must outlive the report.
// `names` may be null: no device is then named.
ImpactReport buildImpactReport(const LineOptions& options, const LineImpact& impact,
                               const std::string& oldName, const std::string& newFolder,
                               int exitStatus, const IdNames* names = nullptr);

// What a change changed, after its section's name: the key and its two
// values, or the entry an added one takes the place of; a VERSION that goes
// down marked.
std::string changeDetail(const SectionChange& change, const std::string& arrow = " -> ");

// A value as the reports show it: quoted, or "(none)" for a key not there.
std::string shownValue(const std::optional<std::string>& value);

}  // namespace mfgtool
