// How `explain` words what it shows, in its text and its JSON alike: a
// section's place, its fate ("listed at position 3; HARDID ... matched ..."),
// why it was left out, and the host ID nearest to an ID that matched nothing.
// Library text is shown as UTF-8, a process file by its name in the
// previewed folder.
#pragma once

#include <optional>
#include <string>

#include "common/text_encoding.h"
#include "mfglist/mfglist.h"
#include "report.h"
#include "run/explain_journal.h"

namespace mfgtool {

class ExplainText {
public:
    ExplainText(const ReportContext& context, const ExplainJournal& journal);

    // Library text shown as UTF-8.
    std::string text(const std::string& bytes) const {
        return decodeCodePage(bytes, context_.plan.codePage).utf8;
    }

    // A process file by its name in the previewed folder.
    std::string file(const std::string& path) const {
        return fileInFolder(path, context_.run.folderForLibrary, context_.plan.codePage);
    }

    ShownPlace shownPlace(const SectionPlace& at) const {
        return ShownPlace{file(at.file), text(at.section), at.line};
    }

    std::string place(const SectionPlace& at) const {
        return "[" + text(at.section) + "] (" + file(at.file) + ":" + std::to_string(at.line) + ")";
    }

    std::string idKey() const { return context_.plan.listKind == LIST_SOFTWARE ? "PACKETNAME" : "HARDID"; }

    std::string fate(const SectionRecord& record) const;
    std::string matchText(const SectionRecord& record) const;
    std::string leftOutText(const SectionRecord& record) const;

private:
    const ReportContext& context_;
    bool groupSettingsRead_;
};

// The host ID nearest to the one a section wanted, for a section no ID
// matched.
std::optional<NearestId> nearestIdFor(const SectionRecord& record, const Plan& plan);

}  // namespace mfgtool
