// `mfglist preview`: a factory call made from a folder of process files, and
// the list it gives shown the way a person or a script reads it.  The plan
// checks the options, the scratch run makes the call, a second run through
// the core linked in names each entry's section, the report shows it.
#include <iostream>

#include "commands.h"
#include "errors.h"
#include "library.h"
#include "list_sources.h"
#include "plan.h"
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
    // The library's trace is read only to show it or to say why a list is
    // missing, and a traced run costs several untraced ones; so unless the
    // trace is asked for, the run is untraced and repeated traced only when
    // its list needs explaining.  The sources run compares the list's bytes
    // before they are parsed, so the parsed list is never held beside it.
    LibraryRun run;
    ListSources sources;
    if (options.trace) {
        run = runInScratchMachine(plan, library);
        if (!run.list.entries.empty()) sources = listSources(plan, run);
    } else {
        run = runInScratchMachine(plan, library, RunNeeds{/*trace=*/false, /*parsedList=*/false});
        if (run.list.written) {
            sources = listSources(plan, run);
            run.list = installListFrom(parseIni(run.listBytes));
        }
        if (run.list.entries.empty()) {
            run = runInScratchMachine(plan, library);
            sources = {};
        }
    }
    sources.places.resize(sources.places.empty() ? 0 : run.list.entries.size());
    // The bytes served to check the sources run; the report shows the parsed list.
    std::string().swap(run.listBytes);
    for (const std::string& note : run.notes) std::cerr << "mfglist: note: " << note << '\n';
    if (sources.note) std::cerr << "mfglist: note: " << *sources.note << '\n';

    int status = kExitOk;
    std::string label = "ok";
    if (run.noList) {
        label = run.empty ? "empty" : "no-list";
        if (!run.empty || !options.allowEmpty) status = kExitNoList;
    }
    const ReportContext context{plan, run, library.file.string(), options.trace,
                                std::move(sources.places), sources.note};
    if (options.json) {
        // Bytes that are not text are kept in hex by the contract; anything
        // else still never fails the dump.
        out << previewJson(context, label, status)
                   .dump(2, ' ', false, Json::error_handler_t::replace)
            << '\n';
        return status;
    }
    std::size_t width = 0;
    if (options.width)
        width = static_cast<std::size_t>(*options.width);
    else if (const int columns = terminalColumns(); columns > 0)
        width = static_cast<std::size_t>(columns);
    printPreviewText(context, width, out);
    for (const std::string& problem : run.list.problems)
        std::cerr << "mfglist: warning: " << problem << '\n';
    if (status == kExitNoList)
        std::cerr << "mfglist: no list: " << *run.noList
                  << (run.noList->find("<folder>") != std::string::npos
                          ? " (<folder> is " + plan.folder.string() + ")"
                          : "")
                  << (run.empty ? "; --allow-empty accepts a list without entries" : "") << '\n';
    return status;
}

}  // namespace mfgtool
