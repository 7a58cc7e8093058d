// How `explain` words what it shows, in its text and its JSON alike: a
// section's place, its fate ("listed at position 3; HARDID ... matched ..."),
// why it was left out, and the host ID nearest to an ID that matched nothing.
// Library text is shown as UTF-8, a process file by its name in the
// previewed folder.
#pragma once

#include <optional>
#include <string>

#include "common/text_encoding.h"
#include "explain_journal.h"
#include "mfglist/mfglist.h"
#include "plan.h"
#include "scratch_run.h"
#include "shown_place.h"

namespace mfgtool {

class ExplainText {
public:
    ExplainText(const Plan& plan, const LibraryRun& run, const ExplainJournal& journal);

    // Library text shown as UTF-8.
    std::string text(const std::string& bytes) const {
        return decodeCodePage(bytes, plan_.codePage).utf8;
    }

    // A process file by its name in the previewed folder.
    std::string file(const std::string& path) const {
        return fileInFolder(path, run_.folderForLibrary, plan_.codePage);
    }

    ShownPlace shownPlace(const SectionPlace& at) const {
        return ShownPlace{file(at.file), text(at.section), at.line};
    }

    std::string place(const SectionPlace& at) const {
        return "[" + text(at.section) + "] (" + file(at.file) + ":" + std::to_string(at.line) + ")";
    }

    std::string idKey() const { return plan_.listKind == LIST_SOFTWARE ? "PACKETNAME" : "HARDID"; }

    std::string fate(const SectionRecord& record) const;
    std::string matchText(const SectionRecord& record) const;
    std::string leftOutText(const SectionRecord& record) const;

private:
    const Plan& plan_;
    const LibraryRun& run_;
    bool groupSettingsRead_;
};

// What explain says of one section: "listed at position 3; HARDID ...",
// "left out: ...".  Also each cell's reason in matrix and impact.
std::string sectionFateText(const Plan& plan, const LibraryRun& run, const ExplainJournal& journal,
                            const SectionRecord& record);

// Whether the plan's list matches IDs at all: a CD-ROM driver list by
// HARDID, a software list by PACKETNAME; a process-file driver list and the
// complete software list take none.
bool runMatchesIds(const Plan& plan);

// The host ID nearest to the one a section wanted, for a section no ID
// matched.
std::optional<NearestId> nearestIdFor(const SectionRecord& record, const Plan& plan);

}  // namespace mfgtool
