// The report of `mfglist explain`: one line per section with its fate, the
// notes that belong to it indented below, then the IDs that matched nothing
// and the group's settings.  explain_json.cpp says the same as data.
#include <algorithm>

#include "explain_report.h"
#include "ids/id_names.h"
#include "items/keys.h"
#include "mfglist/mfglist.h"
#include "run/section_words.h"

namespace mfgtool {
namespace {

// The settings a group section can give; all but LOG_FILE only with -F.
const mfg::items::Key kFactorySettings[] = {mfg::items::Key::languageId, mfg::items::Key::hotKey,
                                            mfg::items::Key::debug, mfg::items::Key::runBeginTest,
                                            mfg::items::Key::runEndTest};

std::string settingFile(const ExplainText& shown, const SettingRecord& setting) {
    return setting.file.empty() ? std::string("no process file") : shown.file(setting.file);
}

// The device a host ID names in pci.ids or usb.ids, when the run matches
// hardware IDs and the databases know it.
std::optional<std::string> nameOfShownId(const ReportContext& context,
                                         const std::optional<std::string>& id) {
    if (!context.names || !id || id->empty() || context.plan.listKind == LIST_SOFTWARE)
        return std::nullopt;
    return context.names->nameOfId(*id);
}

}  // namespace

void printExplainText(const ReportContext& context, const ExplainJournal& journal,
                      std::ostream& out) {
    const Plan& plan = context.plan;
    const LibraryRun& run = context.run;
    const ExplainText shown(context.plan, context.run, journal);
    out << "Explain: "
        << (plan.allSoftware                 ? "complete software list"
            : plan.listKind == LIST_SOFTWARE ? "software list"
                                             : "driver list")
        << " of group " << shown.text(run.group) << " for Windows " << windowsName(run.windows)
        << (plan.cdrom ? ", CD-ROM mode" : ", process-file mode")
        << (plan.callFactory ? ", CALLFACTORY" : "") << settingsOrigin(plan) << '\n';
    out << "Entries listed: " << run.list.entries.size()
        << (run.list.written ? "" : " (the library wrote no list file)") << "\n\n";

    if (journal.sections().empty()) out << "No section of a process file was read.\n";
    for (const SectionRecord& record : journal.sections()) {
        out << placeText(shown.shownPlace(record.place)) << "  " << shown.fate(record) << '\n';
        if (const std::optional<std::string> device = nameOfShownId(context, record.matchedId))
            out << "    device: " << *device << '\n';
        if (const auto hint = nearestIdFor(record, plan))
            out << "    nearest " << (plan.listKind == LIST_SOFTWARE ? "package name" : "host ID")
                << ": \"" << shown.text(hint->id) << "\" (" << hint->why << ")\n";
        for (const FieldCut& cut : record.cuts)
            out << "    value cut: " << cut.key << " to " << cut.keptBytes << " bytes\n";
    }

    out << '\n';
    const std::string what = plan.listKind == LIST_SOFTWARE ? "Package names" : "Host IDs";
    if (!runMatchesIds(plan)) {
        out << "IDs: this list matches no IDs"
            << (plan.ids.empty()
                    ? ""
                    : "; the " + std::to_string(plan.ids.size()) + " given are not used")
            << '\n';
    } else {
        const std::vector<std::string> unmatched = journal.unmatchedIds();
        out << what << " that matched no section:" << (unmatched.empty() ? " none" : "") << '\n';
        for (const std::string& id : unmatched) {
            out << "  \"" << shown.text(id) << '"';
            if (const std::optional<std::string> device = nameOfShownId(context, id))
                out << "  " << *device;
            out << '\n';
        }
    }
    printCoverageText(context, out);

    out << '\n';
    if (journal.settings().empty()) {
        out << "Settings: "
            << (plan.cdrom && !plan.allSoftware && plan.listKind == LIST_DRIVER
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
                out << " = " << shown.text(setting.value) << "  (from ["
                    << shown.text(setting.group) << "] of " << settingFile(shown, setting) << ")";
            for (const std::size_t kept : setting.cutTo) out << "; cut to " << kept << " bytes";
            out << '\n';
        }
        if (!plan.callFactory && !plan.cdrom) {
            out << "  ";
            for (std::size_t i = 0; i < std::size(kFactorySettings); ++i)
                out << (i ? ", " : "") << mfg::items::keyName(kFactorySettings[i]);
            out << ": read only with --callfactory\n";
        }
    }

    if (context.showTrace) {
        out << "\nTrace of this run (D:\\ombrix_drvinst.log)\n";
        for (const std::string& line : run.trace) out << "  " << shown.text(line) << '\n';
    }
}

}  // namespace mfgtool
