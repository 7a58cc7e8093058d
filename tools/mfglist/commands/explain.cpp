// `mfglist explain`: the run a preview makes, made by the core linked into
// this program with an observer attached, and every decision of it shown.
#include "commands.h"

#include <iostream>
#include <memory>

#include "common/errors.h"
#include "common/options.h"
#include "ids/id_names.h"
#include "present/explain_report.h"
#include "run/in_process_core.h"
#include "run/list_coverage.h"
#include "run/list_sources.h"
#include "run/plan.h"
#include "run/preview_problems.h"
#include "run/scratch_run.h"

namespace mfgtool {
namespace {

struct ExplainOptions : RunOptions, ListOutputOptions {
    std::optional<std::string> idNames;  // pci.ids and usb.ids, for the devices' names
};

const char* const kExplainFooter =
    "Runs the list as 'mfglist preview' does, in the same scratch machine, with the library's\n"
    "core linked into this program, and tells for every section of every process file read,\n"
    "in file order, what became of it: listed at position N (a CD-ROM driver with its rank\n"
    "and ID key), left out and why (other group, TYPE SOFTWARE in a driver list, not SOFTWARE\n"
    "in a software list, no ID matched, with the nearest host ID), replaced by or refused\n"
    "because of another section, values cut to their field.  Then the IDs that matched no\n"
    "section and the group's settings with where each came from.\n"
    "\n"
    "Examples:\n"
    "  mfglist explain examples/factory --kind software --id MEDIAPLAYER\n"
    "  mfglist explain examples/cdrom --cdrom --ids-file examples/ids.txt\n"
    "  mfglist explain examples/cdrom --cdrom --ids-file examples/ids.txt --json\n";

int runExplain(const ExplainOptions& options, std::ostream& out) {
    if (options.library)
        throw UsageError(
            "--library is for preview: explain runs the library's core linked "
            "into mfglist");
    Plan plan = planRun(options);
    if (options.output) planOutput(plan, *options.output);
    ExplainJournal journal(plan.ids);
    LibraryRun run = runObserved(plan, journal);
    for (const std::string& note : run.notes) std::cerr << "mfglist: note: " << note << '\n';
    // A process file the library cannot read says so, in preview's words; a
    // run that failed keeps the library's own reason beside them.
    const PreviewProblems problems = findPreviewProblems(plan, run.list, windowsName(run.windows));
    for (const std::string& unusable : problems.unusableFiles)
        std::cerr << "mfglist: warning: " << unusable << '\n';
    nameUnusableFiles(run, problems);

    const RunVerdict verdict = verdictOf(run, options.allowEmpty);
    const IdNames names(options.idNames);  // read only for the IDs shown
    const ReportContext context{plan,
                                run,
                                kInProcessCoreName,
                                options.trace,
                                {},
                                std::nullopt,
                                nullptr,
                                listCoverage(plan, run.list, ignoreEntries(plan, options.ignore)),
                                &names};
    if (options.json) {
        out << explainJson(context, journal, verdict.label, verdict.status)
                   .dump(2, ' ', false, Json::error_handler_t::replace)
            << '\n';
        return verdict.status;
    }
    printExplainText(context, journal, out);
    std::cerr << verdictLine(run, verdict, plan.folder.string());
    return verdict.status;
}

}  // namespace

Command addExplainCommand(CLI::App& app) {
    auto options = std::make_shared<ExplainOptions>();
    CLI::App* command = app.add_subcommand(
        "explain", "Tell why each section of the process files is in the list or not.");
    addRunOptions(*command, *options);
    addListOutputOptions(*command, *options);
    addIdNamesOption(*command, options->idNames);
    command->footer(std::string("\n") + kExplainFooter + "\n" + kExitStatusHelp);
    return {command, [options](std::ostream& out) { return runExplain(*options, out); }};
}

}  // namespace mfgtool
