// `mfglist matrix FOLDER --models DIR`: every model of the catalogue run
// over one folder of process files, shown as a table of entries (rows) by
// models (columns), a cell the entry's install position in that model's
// list; then the entries no model gets, each model's IDs that no entry
// claims, and what each model's run came to.
#include "commands.h"

#include <fstream>
#include <iostream>
#include <memory>

#include "common/errors.h"
#include "common/file_writes.h"
#include "common/options.h"
#include "common/system.h"
#include "common/text_encoding.h"
#include "ids/id_names.h"
#include "line/line_runs.h"
#include "line/share_run.h"
#include "present/html_report.h"
#include "present/line_report.h"
#include "present/matrix_report.h"
#include "run/scratch_run.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

struct MatrixOptions : LineOptions {
    bool json = false;
    bool requireCoverage = false;
    bool requireRunnable = false;
    bool summary = false;
    std::optional<int> width;
    std::optional<std::string> idNames;  // pci.ids and usb.ids, for the devices' names
};

const char* const kMatrixFooter =
    "Runs the library for every model of the catalogue (--models DIR: one ID file per model,\n"
    "MODEL.ids or MODEL.txt, see docs/model-catalogue.md) over FOLDER, exactly as 'mfglist\n"
    "preview' runs it, in --jobs worker processes that share the models out.  Shows a\n"
    "table of the entry sections (rows) by the models (columns), a cell the entry's install\n"
    "position in that model's list; the entries no model gets (dead), each with its reason,\n"
    "and apart, those no model could get (another group or list kind); per model the entries,\n"
    "whether a list was written, and the IDs no entry claims that the ignore file does not\n"
    "name (CD-ROM driver lists match HARDID, software lists PACKETNAME; a process-file driver\n"
    "list matches no IDs).  Models that do not fit the terminal beside the entries go into\n"
    "further blocks, each repeating the entry columns.  --json gives each cell's explain text.\n"
    "\n"
    "The answer comes first: the line's totals and one row per model (entries, uncovered\n"
    "devices, listed entries with nothing to run, warnings, what the run came to), the models\n"
    "that need attention on top and marked '!'.  --summary prints only that, for a CI log.\n"
    "Uncovered devices are named by vendor and device from pci.ids and usb.ids when the system\n"
    "has them (--id-names to point at other copies); without them the IDs stand alone.\n"
    "\n"
    "Coverage is by device: a device of a model's ID file (a device comment and its IDs, as\n"
    "'mfglist ids' writes them) is covered when a listed entry claims any of its IDs.\n"
    "\n"
    "Each model's listed entries whose program a host cannot run as the list names it (nothing\n"
    "to run for the model's Windows, a macro or '%' left, a relative path) are shown as preview\n"
    "marks them.\n"
    "\n"
    "Exit status: 0 every model was run (gaps are shown, not failed); 1 with --require-coverage\n"
    "when a model has an uncovered device, no list or an empty one, and with --require-runnable\n"
    "when a listed entry has nothing a host can run; 5 a model's run failed,\n"
    "and 6 (4 without entries) a model's media lacks a CD-ROM file of its kind, as preview\n"
    "gives them (before any other status but 2 and 3); 2 bad use (no folder or\n"
    "catalogue, a model file that cannot be read, a bad header value); 3 the library cannot be\n"
    "loaded; errors are one line on standard error, or with --json a JSON document.\n"
    "\n"
    "Examples:\n"
    "  mfglist matrix examples/cdrom --cdrom --models examples/models\n"
    "  mfglist matrix examples/cdrom --cdrom --models examples/models --summary\n"
    "  mfglist matrix examples/cdrom --cdrom --models examples/models --json > matrix.json\n"
    "  mfglist matrix examples/cdrom --cdrom --models examples/models --require-coverage\n";

}  // namespace

int runMatrix(const MatrixOptions& options, std::ostream& out) {
    if (options.width && *options.width < 40)
        throw UsageError("--width " + std::to_string(*options.width) +
                         " leaves no room for the matrix; give 40 columns or more");
    std::optional<ScratchFolder> scratch;
    fs::path listFolder;
    std::error_code ec;
    if (options.lists) {
        listFolder = fs::absolute(*options.lists, ec);
        fs::create_directories(listFolder, ec);
        if (!fs::is_directory(listFolder, ec))
            throw UsageError("cannot make the folder " + *options.lists + " for --lists");
    } else {
        scratch.emplace();
        listFolder = scratch->path();
    }
    const LineRun line = runLine(options, options.folder, listFolder);
    const bool gaps = std::any_of(line.models.begin(), line.models.end(),
                                  [](const ModelRun& run) { return run.hasGap(); });
    // A run that failed, or media without a file of the list kind, is never
    // a pass: the status is the one preview gives such a run.
    std::string label;
    int status = lineOutcomeStatus(line, label);
    if (status == kExitOk) {
        const bool unrunnable = hasUnrunnableEntries(line);
        label = gaps || unrunnable ? "gaps" : "ok";
        status = (gaps && options.requireCoverage) || (unrunnable && options.requireRunnable)
                     ? kExitGaps
                     : kExitOk;
    }
    for (const ModelRun& run : line.models)
        if (run.outcome == kOutcomeFailed || run.outcome == kOutcomeMissingFiles)
            std::cerr << "mfglist: model " << run.model.name << ": "
                      << (run.outcome == kOutcomeMissingFiles
                              ? "the media lacks a CD-ROM file of its list kind"
                              : "run failed: " + run.noList.value_or(""))
                      << '\n';
    // The databases are read only for the IDs the report shows.
    const IdNames names(options.idNames);
    const LineReport report = buildLineReport(options, line, label, status, &names);
    if (options.html) replaceFileWhole(*options.html, renderMatrixHtml(report));
    if (options.json) {
        out << matrixJsonText(report) << '\n';
        return status;
    }
    std::size_t width = 0;
    if (options.width)
        width = static_cast<std::size_t>(*options.width);
    else if (const int columns = terminalColumns(); columns > 0)
        width = static_cast<std::size_t>(columns);
    printMatrixText(report, width, options.summary, out);
    return status;
}

Command addMatrixCommand(CLI::App& app) {
    auto options = std::make_shared<MatrixOptions>();
    CLI::App* command = app.add_subcommand(
        "matrix", "Run every model of a catalogue: which model gets which entry.");
    addLineOptions(*command, *options, true);
    addJsonOption(*command, options->json);
    command->add_option("--html", options->html, "Write the report as one HTML file");
    command->add_flag("--require-coverage", options->requireCoverage,
                      "Status 1 when a model has an uncovered device or an empty list");
    addRequireRunnableOption(*command, options->requireRunnable);
    command->add_flag("--summary", options->summary,
                      "Print only the line's totals and one row per model (the text output)");
    addIdNamesOption(*command, options->idNames);
    command->add_option("--width", options->width,
                        "Fit the tables to this many columns (default: the terminal's)");
    command->footer(std::string("\n") + kMatrixFooter);
    return {command, [options](std::ostream& out) { return runMatrix(*options, out); }};
}

}  // namespace mfgtool
