// `mfglist preview`: a factory call made from a folder of process files, and
// the list it gives shown the way a person or a script reads it.  The plan
// checks the options, the scratch run makes the call, a second run through
// the core linked in names each entry's section, the report shows it.
#include "commands.h"

#include <iostream>
#include <memory>

#include "common/errors.h"
#include "common/options.h"
#include "common/system.h"
#include "ids/id_names.h"
#include "present/report.h"
#include "run/id_file_check.h"
#include "run/library.h"
#include "run/list_coverage.h"
#include "run/list_sources.h"
#include "run/plan.h"
#include "run/preview_problems.h"
#include "run/scratch_run.h"

namespace mfgtool {
namespace {

struct PreviewOptions : RunOptions, ListOutputOptions {
    std::optional<int> width;
    bool allowMissing = false;           // a CD-ROM file of the list kind may be missing
    std::optional<std::string> idNames;  // pci.ids and usb.ids, for the devices' names
};

const char* const kPreviewFooter =
    "Process-file mode (the default) reads FOLDER/MfgProc.ini: a driver list takes every\n"
    "driver entry of the group, a software list the software entries whose PACKETNAME is one\n"
    "of the IDs, --kind all-software every software entry of the group.  CD-ROM mode (--cdrom)\n"
    "reads DrvProc.ini (drivers matched by hardware ID, in install order), DrvCofg.ini (drivers\n"
    "for every machine) and SoftProc.ini (software) from FOLDER; the library's group is\n"
    "PRELOAD unless --group says otherwise.\n"
    "\n"
    "The library runs in a scratch machine: its fixed files (C:\\vrelDebug.flg,\n"
    "D:\\ombrix_drvinst.log, Temp.ini, D:\\temp.ini) go to a scratch folder, removed afterwards,\n"
    "and --windows sets the version it detects, on Linux and on Windows.  Text is shown as\n"
    "UTF-8 (the terminal's encoding on a terminal); the table is cut to the terminal's width,\n"
    "or to --width, and never when written to a file or pipe without --width.  SOURCE names\n"
    "each entry's section, file and line, from the same call made again through the library's\n"
    "core linked into mfglist, shown only when that run writes the same list.\n"
    "\n"
    "Examples:\n"
    "  mfglist preview examples/factory --ids-file examples/ids.txt\n"
    "  mfglist preview examples/factory --group REWORK --callfactory --windows vista\n"
    "  mfglist preview examples/factory --kind software --id MEDIAPLAYER --id BACKUP\n"
    "  mfglist preview examples/cdrom --cdrom --ids-file examples/ids.txt --trace\n"
    "  mfglist preview examples/factory --json > before.json    # edit MfgProc.ini, then:\n"
    "  mfglist preview examples/factory --json > after.json\n"
    "  mfglist diff before.json after.json\n";

}  // namespace

int runPreview(const PreviewOptions& options, std::ostream& out) {
    Plan plan = planRun(options);
    if (options.output) planOutput(plan, *options.output);
    if (options.width && *options.width < 20)
        throw UsageError("--width " + std::to_string(*options.width) +
                         " leaves no room for the table; give 20 columns or more");
    const ListLibrary library = loadListLibrary(options.library, programFolder());
    // Always traced: a run that failed must be told from one that wrote its
    // list, whatever --trace says.  The sources run is untraced and compares
    // the list's bytes; the list is parsed only after it, so that the parsed
    // list and that run's own list are never held at once.
    LibraryRun run = runInScratchMachine(
        plan, library,
        RunNeeds{/*trace=*/true, /*parsedList=*/false, /*traceLines=*/options.trace});
    ListSources sources;
    if (!run.failed) sources = listSources(plan, run);
    takeParsedList(run);
    std::string().swap(run.listBytes);
    if (run.list.entries.empty()) sources = ListSources();
    sources.places.resize(sources.places.empty() ? 0 : run.list.entries.size());
    // Shown with the list's problems: a warning, and in the JSON.
    if (std::optional<std::string> mismatch = idFileFormWarning(options, plan))
        run.list.problems.push_back(std::move(*mismatch));
    const PreviewProblems problems = findPreviewProblems(plan, run.list, windowsName(run.windows));
    nameUnusableFiles(run, problems);
    for (const std::string& note : run.notes) std::cerr << "mfglist: note: " << note << '\n';
    if (sources.note) std::cerr << "mfglist: note: " << *sources.note << '\n';

    const RunVerdict verdict =
        previewVerdict(run, problems, options.allowEmpty, options.allowMissing);
    const IdNames names(options.idNames);  // read only for the IDs shown
    const ReportContext context{plan,
                                run,
                                library.file.string(),
                                options.trace,
                                std::move(sources.places),
                                sources.note,
                                &problems,
                                listCoverage(plan, run.list, ignoreEntries(plan, options.ignore)),
                                &names};
    if (options.json) {
        // Bytes that are not text are kept in hex by the contract; anything
        // else still never fails the dump.
        out << previewJson(context, verdict.label, verdict.status)
                   .dump(2, ' ', false, Json::error_handler_t::replace)
            << '\n';
        return verdict.status;
    }
    std::size_t width = 0;
    if (options.width)
        width = static_cast<std::size_t>(*options.width);
    else if (const int columns = terminalColumns(); columns > 0)
        width = static_cast<std::size_t>(columns);
    printPreviewText(context, width, out);
    out << '\n';
    printCoverageText(context, out);
    for (const std::string& problem : run.list.problems)
        std::cerr << "mfglist: warning: " << problem << '\n';
    for (const std::string& problem : problems.problems)
        std::cerr << "mfglist: warning: " << problem << '\n';
    if (verdict.status == kExitIncomplete)
        std::cerr << "mfglist: incomplete: the list lacks what a missing CD-ROM file holds; "
                     "--allow-missing accepts that\n";
    if (run.noList) std::cerr << verdictLine(run, verdict, plan.folder.string());
    return verdict.status;
}

Command addPreviewCommand(CLI::App& app) {
    auto options = std::make_shared<PreviewOptions>();
    CLI::App* command = app.add_subcommand(
        "preview", "Show the install list that the library makes from a folder of process files.");
    addRunOptions(*command, *options);
    addListOutputOptions(*command, *options);
    addIdNamesOption(*command, options->idNames);
    command->add_option("--width", options->width,
                        "Cut the table to this many columns (default: the terminal's; "
                        "no cutting into a file or pipe)");
    command->add_flag("--allow-missing", options->allowMissing,
                      "CD-ROM: a list written without one of its fixed files is a "
                      "success (status 0), not status 5");
    command->footer(std::string("\n") + kPreviewFooter + "\n" + kExitStatusHelp);
    return {command, [options](std::ostream& out) { return runPreview(*options, out); }};
}

}  // namespace mfgtool
