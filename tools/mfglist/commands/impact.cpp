// `mfglist impact OLD NEW --models DIR`: what a change of the process files
// does to every model's list.  Both folders run the whole catalogue as
// `matrix` does; each model's two lists are compared the way `diff`
// compares them (entries paired by their section, then by NAME and HARDID).
// `--git REV FOLDER` takes OLD from a revision of FOLDER in its git
// repository.
#include "commands.h"

#include <fstream>
#include <memory>

#include "common/errors.h"
#include "common/file_writes.h"
#include "common/json_text.h"
#include "common/options.h"
#include "common/text_encoding.h"
#include "ids/id_names.h"
#include "line/git_revision.h"
#include "line/line_impact.h"
#include "line/line_runs.h"
#include "present/html_report.h"
#include "present/impact_report.h"
#include "run/scratch_run.h"
#include "run/self_process.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

struct ImpactOptions : LineOptions {
    std::vector<std::string> folders;  // OLD NEW, or NEW with --git
    std::optional<std::string> git;    // OLD is this revision of NEW's folder
    bool json = false;
    bool markdown = false;
    bool summary = false;
    bool requireRunnable = false;
    std::optional<std::string> idNames;  // pci.ids and usb.ids, for the devices' names
};

const char* const kImpactFooter =
    "Runs every model of the catalogue over OLD and over NEW as 'mfglist matrix' does and\n"
    "compares each model's two lists as 'mfglist diff' does: entries added, removed, moved in\n"
    "the install order, and keys changed, paired by their section, then by NAME and HARDID.\n"
    "With --git REV the one FOLDER is NEW and OLD is that folder as revision REV has it (git\n"
    "must be on the PATH and FOLDER in a git working tree).  --markdown prints a pull-request\n"
    "comment; --summary prints only the totals and the table of the models that change.\n"
    "Each model's devices that lose or gain their driver are shown (a model whose device\n"
    "loses its driver changes, whatever its list), and the entries NEW lists that a host\n"
    "cannot run (as preview marks them).\n"
    "\n"
    "Exit status: 0 no model's list changes; 1 some model's list changes, or with\n"
    "--require-runnable an entry NEW lists has nothing a host can run; 2 bad use (a folder\n"
    "or catalogue missing, no git, a revision git does not know); 3 the library cannot be\n"
    "loaded; 5 a model's run over OLD or NEW failed, 6 OLD or NEW lacks a CD-ROM file of the\n"
    "list kind (the status preview gives; the message names the side and the model).\n"
    "\n"
    "Examples:\n"
    "  mfglist impact old-media media --cdrom --models models\n"
    "  mfglist impact --git origin/main media --cdrom --models models --markdown > comment.md\n";

}  // namespace

int runImpact(const ImpactOptions& options, std::ostream& out) {
    if (options.git ? options.folders.size() != 1 : options.folders.size() != 2)
        throw UsageError(options.git
                             ? "with --git give one folder, the new one: impact --git REV "
                               "FOLDER --models DIR"
                             : "give two folders, OLD and NEW, or --git REV and one folder");
    if (options.json && options.markdown)
        throw UsageError("--json and --markdown are two outputs; choose one");
    if (options.summary && (options.json || options.markdown))
        throw UsageError(
            "--summary is for the text; --json and --markdown carry the summary anyway");
    if (options.lists) throw UsageError("--lists is for matrix; impact keeps no lists");
    const std::string newFolder = options.folders.back();
    ScratchFolder scratch;
    std::error_code ec;
    std::string oldFolder = options.folders.front();
    std::string oldName = fs::path(oldFolder).lexically_normal().filename().string();
    if (options.git) {
        const fs::path checkedOut = scratch.path() / "old";
        fs::create_directory(checkedOut, ec);
        checkOutRevision(newFolder, *options.git, checkedOut);
        oldFolder = checkedOut.string();
        oldName = lineFolderName(newFolder) + "@" + *options.git;
    }
    fs::create_directory(scratch.path() / "old-lists", ec);
    fs::create_directory(scratch.path() / "new-lists", ec);
    // A side whose runs failed or lack their media compares nothing: refused
    // with the status preview gives, never "no change".
    const LineRun before = runLine(options, oldFolder, scratch.path() / "old-lists");
    requireWholeRuns(before, "OLD " + oldName);
    const LineRun after = runLine(options, newFolder, scratch.path() / "new-lists");
    requireWholeRuns(after, "NEW " + lineFolderName(newFolder));

    const LineImpact impact = compareLineRuns(before, after);
    const bool unrunnable = options.requireRunnable && hasUnrunnableEntries(after);
    const int status = impact.changed || unrunnable ? kExitImpact : kExitOk;
    // The databases are read only for the devices the report shows.
    const IdNames names(options.idNames);
    const ImpactReport report =
        buildImpactReport(options, impact, oldName, newFolder, status, &names);
    if (options.html) replaceFileWhole(*options.html, renderImpactHtml(report));
    if (options.json)
        out << jsonText(impactJson(report), 2) << '\n';
    else if (options.markdown)
        printImpactMarkdown(report, out);
    else
        printImpactText(report, options.summary, out);
    return status;
}

Command addImpactCommand(CLI::App& app) {
    auto options = std::make_shared<ImpactOptions>();
    CLI::App* command = app.add_subcommand(
        "impact", "What a change of the process files does to every model's list.");
    command->add_option("FOLDERS", options->folders, "OLD NEW, or with --git the one folder")
        ->required();
    command->add_option("--git", options->git,
                        "Take OLD from this git revision of the folder (e.g. origin/main)");
    addLineOptions(*command, *options, false);
    addJsonOption(*command, options->json);
    command->add_flag("--markdown", options->markdown, "Print a pull-request comment");
    command->add_flag("--summary", options->summary,
                      "Print only the totals and the summary table (for a CI log)");
    command->add_option("--html", options->html, "Write the report as one HTML file");
    addRequireRunnableOption(*command, options->requireRunnable);
    addIdNamesOption(*command, options->idNames);
    command->footer(std::string("\n") + kImpactFooter);
    return {command, [options](std::ostream& out) { return runImpact(*options, out); }};
}

}  // namespace mfgtool
