// The report of `mfglist explain`: one line per section with its fate, the
// notes that belong to it indented below, then the IDs that matched nothing
// and the group's settings.  The JSON says the same as data.
#include <algorithm>

#include "common/text_encoding.h"
#include "explain_report.h"
#include "items/keys.h"
#include "mfglist/mfglist.h"

namespace mfgtool {
namespace {

using mfg::items::Placement;
using mfg::listjob::LeftOut;

// The settings a group section can give; all but LOG_FILE only with -F.
const mfg::Key kFactorySettings[] = {mfg::Key::languageId, mfg::Key::hotKey, mfg::Key::debug,
                                     mfg::Key::runBeginTest, mfg::Key::runEndTest};

// Whether the run matched IDs at all: a driver list from MfgProc.ini and a
// complete software list take no IDs.
bool idsAsked(const Plan& plan) {
    if (plan.allSoftware) return false;
    return plan.cdrom || plan.listKind == LIST_SOFTWARE;
}

// False when the library found none of the group's settings: its section
// is missing, empty, or has a header a lookup by name does not find.
bool anySettingRead(const ExplainJournal& journal) {
    for (const SettingRecord& setting : journal.settings())
        if (!setting.value.empty()) return true;
    return false;
}

class ExplainText {
public:
    ExplainText(const ReportContext& context, const ExplainJournal& journal)
        : context_(context), groupSettingsRead_(anySettingRead(journal)) {}

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

    std::string fate(const SectionRecord& record) const {
        switch (record.fate) {
        case Fate::listed: {
            std::string line = "listed at position " + std::to_string(*record.listSection);
            if (record.orderKey && !record.configDriver)
                line += ", rank " + std::to_string(record.orderKey->first) + ", ID key " +
                        std::to_string(record.orderKey->second);
            if (record.configDriver) line += " (DrvCofg.ini: every machine, after the matched drivers)";
            return line + matchText(record);
        }
        case Fate::leftOut:
            return "left out: " + leftOutText(record);
        case Fate::replaced:
            return "replaced by " + place(*record.other) +
                   ": its 16-character HARDID takes the place of this 8-character one";
        case Fate::refused:
            if (record.placement == Placement::refusedSameId)
                return "refused: " + (record.other ? place(*record.other) : std::string("a held entry")) +
                       " holds the same HARDID " + text(record.compared);
            return "refused: " + (record.other ? place(*record.other) : std::string("a held entry")) +
                   " holds a 16-character HARDID beginning with this 8-character HARDID " +
                   text(record.compared);
        case Fate::passed:
            break;
        }
        return "selected, but no list was written" + matchText(record);
    }

    std::string matchText(const SectionRecord& record) const {
        std::string line;
        if (record.placement == Placement::replacedFamily && record.other)
            line += "; took the place of " + place(*record.other);
        if (!record.matchedId) return line;
        if (record.matchedId->empty()) return line + "; SYSPATCH: no ID asked";
        return line + "; " + idKey() + " " + text(record.compared) + " matched " +
               text(*record.matchedId) + (record.familyMatch ? " as its family" : "");
    }

    std::string leftOutText(const SectionRecord& record) const {
        const std::string value = text(record.compared);
        switch (record.leftOut) {
        case LeftOut::otherGroup:
            if (value.empty() && upperAscii(record.place.section) == upperAscii(context_.run.group))
                return groupSettingsRead_
                           ? "no GROUP: the settings section of group " + text(context_.run.group)
                           : "no GROUP: named as group " + text(context_.run.group) +
                                 "'s settings section, but the library reads none of its "
                                 "settings from it (a lookup by name does not find its header; "
                                 "mfglist lint says why)";
            if (value.empty()) return "no GROUP (the run's group is " + text(context_.run.group) + ")";
            return "GROUP " + value + " is not the run's group " + text(context_.run.group);
        case LeftOut::softwareInDriverList:
            return "TYPE " + value + " in a driver list";
        case LeftOut::notSoftwareInSoftwareList:
            return (value.empty() ? std::string("no TYPE") : "TYPE " + value) +
                   " in a software list, which takes SOFTWARE only";
        case LeftOut::noIdMatched:
            if (value.empty()) return "no " + idKey() + " to match";
            return "no " + std::string(context_.plan.listKind == LIST_SOFTWARE
                                           ? "package name" : "host ID") +
                   " matched " + idKey() + " " + value;
        }
        return {};
    }

private:
    const ReportContext& context_;
    bool groupSettingsRead_;
};

std::optional<NearestId> hintFor(const SectionRecord& record, const Plan& plan) {
    if (record.fate != Fate::leftOut || record.leftOut != LeftOut::noIdMatched) return std::nullopt;
    return nearestHostId(record.compared, plan.ids, plan.codePage);
}

std::string settingFile(const ExplainText& shown, const SettingRecord& setting) {
    return setting.file.empty() ? std::string("no process file") : shown.file(setting.file);
}

}  // namespace

void printExplainText(const ReportContext& context, const ExplainJournal& journal,
                      std::ostream& out) {
    const Plan& plan = context.plan;
    const LibraryRun& run = context.run;
    const ExplainText shown(context, journal);
    out << "Explain: " << (plan.allSoftware ? "complete software list"
                           : plan.listKind == LIST_SOFTWARE ? "software list" : "driver list")
        << " of group " << shown.text(run.group) << " for Windows " << windowsName(run.windows)
        << (plan.cdrom ? ", CD-ROM mode" : ", process-file mode")
        << (plan.callFactory ? ", CALLFACTORY" : "") << '\n';
    out << "Entries listed: " << run.list.entries.size()
        << (run.list.written ? "" : " (the library wrote no list file)") << "\n\n";

    if (journal.sections().empty()) out << "No section of a process file was read.\n";
    for (const SectionRecord& record : journal.sections()) {
        out << placeText(shown.shownPlace(record.place)) << "  " << shown.fate(record) << '\n';
        if (const auto hint = hintFor(record, plan))
            out << "    nearest " << (plan.listKind == LIST_SOFTWARE ? "package name" : "host ID")
                << ": \"" << shown.text(hint->id) << "\" (" << hint->why << ")\n";
        for (const FieldCut& cut : record.cuts)
            out << "    value cut: " << cut.key << " to " << cut.keptBytes << " bytes\n";
    }

    out << '\n';
    const std::string what = plan.listKind == LIST_SOFTWARE ? "Package names" : "Host IDs";
    if (!idsAsked(plan)) {
        out << "IDs: this list matches no IDs"
            << (plan.ids.empty() ? "" : "; the " + std::to_string(plan.ids.size()) + " given are not used")
            << '\n';
    } else {
        const std::vector<std::string> unmatched = journal.unmatchedIds();
        out << what << " that matched no section:" << (unmatched.empty() ? " none" : "") << '\n';
        for (const std::string& id : unmatched) out << "  \"" << shown.text(id) << "\"\n";
    }

    out << '\n';
    if (journal.settings().empty()) {
        out << "Settings: " << (plan.cdrom && !plan.allSoftware && plan.listKind == LIST_DRIVER
                                    ? "the CD-ROM driver list takes no group settings"
                                    : "none read")
            << '\n';
    } else {
        out << "Settings of group " << shown.text(run.group) << ":\n";
        for (const SettingRecord& setting : journal.settings()) {
            out << "  " << setting.key;
            if (setting.value.empty())
                out << " not set in [" << shown.text(setting.group) << "] of "
                    << settingFile(shown, setting);
            else
                out << " = " << shown.text(setting.value) << "  (from [" << shown.text(setting.group)
                    << "] of " << settingFile(shown, setting) << ")";
            for (const std::size_t kept : setting.cutTo) out << "; cut to " << kept << " bytes";
            out << '\n';
        }
        if (!plan.callFactory && !plan.cdrom) {
            out << "  ";
            for (std::size_t i = 0; i < std::size(kFactorySettings); ++i)
                out << (i ? ", " : "") << mfg::keyName(kFactorySettings[i]);
            out << ": read only with --callfactory\n";
        }
    }

    if (context.showTrace) {
        out << "\nTrace of this run (D:\\ombrix_drvinst.log)\n";
        for (const std::string& line : run.trace) out << "  " << shown.text(line) << '\n';
    }
}

Json explainJson(const ReportContext& context, const ExplainJournal& journal,
                 const std::string& status, int exitStatus) {
    const Plan& plan = context.plan;
    const ExplainText shown(context, journal);
    Json json = previewJson(context, status, exitStatus);
    json["command"] = "explain";
    const auto sectionJson = [&](const SectionPlace& at) { return placeJson(shown.shownPlace(at)); };
    Json sections = Json::array();
    for (const SectionRecord& record : journal.sections()) {
        Json item = sectionJson(record.place);
        switch (record.fate) {
        case Fate::listed: item["fate"] = "listed"; break;
        case Fate::leftOut: item["fate"] = "left-out"; break;
        case Fate::replaced: item["fate"] = "replaced"; break;
        case Fate::refused: item["fate"] = "refused"; break;
        case Fate::passed: item["fate"] = "selected"; break;
        }
        if (record.listSection) item["position"] = *record.listSection;
        if (record.orderKey) {
            item["rank"] = record.orderKey->first;
            item["id_key"] = record.orderKey->second;
        }
        if (record.fate == Fate::leftOut) {
            switch (record.leftOut) {
            case LeftOut::otherGroup: item["reason"] = "other-group"; break;
            case LeftOut::softwareInDriverList: item["reason"] = "software-in-driver-list"; break;
            case LeftOut::notSoftwareInSoftwareList:
                item["reason"] = "not-software-in-software-list";
                break;
            case LeftOut::noIdMatched: item["reason"] = "no-id-matched"; break;
            }
        } else if (record.fate == Fate::refused) {
            item["reason"] = record.placement == Placement::refusedSameId ? "same-hardid"
                                                                          : "device-driver-held";
        }
        if (record.fate == Fate::leftOut || record.matchedId || record.fate == Fate::refused)
            item["compared"] = shown.text(record.compared);
        if (record.matchedId) {
            item["matched_id"] = shown.text(*record.matchedId);
            item["family_match"] = record.familyMatch;
        }
        if (record.configDriver) item["config_driver"] = true;
        if (record.other) {
            const char* name = record.fate == Fate::replaced  ? "replaced_by"
                               : record.fate == Fate::refused ? "refused_by"
                                                              : "took_place_of";
            item[name] = sectionJson(*record.other);
        }
        if (const auto hint = hintFor(record, plan)) {
            Json nearest;
            nearest["id"] = shown.text(hint->id);
            nearest["why"] = hint->why;
            item["nearest_id"] = nearest;
        }
        Json cuts = Json::array();
        for (const FieldCut& cut : record.cuts) {
            Json one;
            one["key"] = cut.key;
            one["kept_bytes"] = cut.keptBytes;
            cuts.push_back(one);
        }
        item["cuts"] = cuts;
        sections.push_back(item);
    }
    json["sections"] = sections;
    if (idsAsked(plan)) {
        Json unmatched = Json::array();
        for (const std::string& id : journal.unmatchedIds()) unmatched.push_back(shown.text(id));
        json["unmatched_ids"] = unmatched;
    } else {
        json["unmatched_ids"] = nullptr;
    }
    Json settings = Json::array();
    for (const SettingRecord& setting : journal.settings()) {
        Json item;
        item["key"] = setting.key;
        item["value"] = shown.text(setting.value);
        item["set"] = !setting.value.empty();
        item["file"] = setting.file.empty() ? Json(nullptr) : Json(shown.file(setting.file));
        item["group"] = shown.text(setting.group);
        Json cuts = Json::array();
        for (const std::size_t kept : setting.cutTo) cuts.push_back(kept);
        item["cut_to"] = cuts;
        settings.push_back(item);
    }
    json["settings"] = settings;
    return json;
}

std::string sectionFateText(const ReportContext& context, const ExplainJournal& journal,
                            const SectionRecord& record) {
    return ExplainText(context, journal).fate(record);
}

bool runMatchesIds(const Plan& plan) { return idsAsked(plan); }

}  // namespace mfgtool
