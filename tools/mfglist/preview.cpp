// `mfglist preview`: a factory call made from a folder of process files, and
// the list it gives shown the way a person or a script reads it.  The plan
// checks the options, the scratch run makes the call, a second run through
// the core linked in names each entry's section, the report shows it.
#include <iostream>

#include "commands.h"
#include "errors.h"
#include "id_file_check.h"
#include "library.h"
#include "list_sources.h"
#include "plan.h"
#include "preview_problems.h"
#include "report.h"
#include "scratch_run.h"
#include "system.h"

namespace mfgtool {

int runPreview(const PreviewOptions& options, std::ostream& out) {
    Plan plan = planRun(options);
    if (options.output) planOutput(plan, *options.output);
    if (options.width && *options.width < 20)
        throw UsageError("--width " + std::to_string(*options.width) +
                         " leaves no room for the table; give 20 columns or more");
    const ListLibrary library = loadListLibrary(options.library, programFolder());
    LibraryRun run = runInScratchMachine(
        plan, library, RunNeeds{/*trace=*/true, /*parsedList=*/true, /*traceLines=*/options.trace});
    // Shown with the list's problems: a warning, and in the JSON.
    if (std::optional<std::string> mismatch = idFileFormWarning(options, plan))
        run.list.problems.push_back(std::move(*mismatch));
    const PreviewProblems problems = findPreviewProblems(plan, run.list, windowsName(run.windows));
    // A process file the library cannot read says so, rather than "no entry";
    // a run that failed keeps the library's own reason (the words are a warning).
    if (run.noList && !run.failed && !problems.unusableFiles.empty()) {
        run.noList = problems.unusableFiles.front();
        run.empty = false;
    }
    // Always traced: a run that failed must be told from one that wrote its
    // list, whatever --trace says.  The sources run is untraced and compares
    // the list's bytes, which are not held after it.
    ListSources sources;
    if (!run.list.entries.empty()) sources = listSources(plan, run);
    sources.places.resize(sources.places.empty() ? 0 : run.list.entries.size());
    std::string().swap(run.listBytes);
    for (const std::string& note : run.notes) std::cerr << "mfglist: note: " << note << '\n';
    if (sources.note) std::cerr << "mfglist: note: " << *sources.note << '\n';

    RunVerdict verdict = verdictOf(run, options.allowEmpty);
    if (verdict.status == kExitOk && !problems.missingFiles.empty()) {
        verdict.label = "incomplete";
        if (!options.allowMissing) verdict.status = kExitIncomplete;
    }
    const ReportContext context{plan,         run,          library.file.string(), options.trace,
                                std::move(sources.places), sources.note, &problems};
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

}  // namespace mfgtool
