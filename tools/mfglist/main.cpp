// mfglist: the command-line host of the install-list library.  It loads the
// library at run time and calls its exports as the factory host does, either
// from a folder of process files (`preview`) or with the exact arguments of
// one factory call (`host`), and compares two lists (`diff`).  `explain` and
// `lint` run the library's core linked in, to tell why each section is
// listed or not and to check process files; `ids` captures a machine's
// hardware IDs; `matrix` and `impact` run every model of a catalogue.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <sstream>

#include "commands.h"
#include "errors.h"
#include "explain.h"
#include "json_contract.h"
#include "line_runs.h"
#include "model_worker.h"
#include "options.h"
#include "system.h"

namespace {

using namespace mfgtool;

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

const char* const kHostFooter =
    "Prints nothing but errors and leaves the list file where --output says; status 4 when no\n"
    "list file is there afterwards, 5 when the library's trace of the run names a failure (the\n"
    "tool reads it from the user's log when C:\\vrelDebug.flg is up, else from files of its\n"
    "own that the library is pointed at).  IDs from --ids-file are taken line by line exactly as\n"
    "written (only line ends and a byte-order mark are removed; Unicode files are converted to\n"
    "the library's code page).  On Linux the library sees the drives of MFGLIST_DRIVES (or\n"
    "--drives) and the version of MFGLIST_WINVER (or --winver); on Windows the real ones.  A\n"
    "command line that begins with '-' is given as --command-line=-CDROM.\n"
    "\n"
    "Examples:\n"
    "  mfglist host --command-line \"C:\\TOOLS\\SETUP.EXE -P C:\\PROC -T PRELOAD -F\" \\\n"
    "      --id 1A2B0001C0DE0101 --output C:\\LIST.INI --drives \"C=/srv/c;D=/srv/d\"\n"
    "  mfglist host --command-line \"SETUP.EXE -CDROM\" --kind 1 --all-software \\\n"
    "      --output D:\\SOFT.INI\n";

const char* const kDiffFooter =
    "Each of A and B is an install list file or the saved JSON of 'mfglist preview --json'.\n"
    "Entries are paired by what they are, never by where they stand: by the process-file\n"
    "section each came from where both know it (a preview's JSON does), then by NAME and\n"
    "HARDID; the report names entries added, removed, moved in the install order, and every\n"
    "changed key.  Status 0 when the lists are equal, 1 when they differ, 2 when a file cannot\n"
    "be read or is not a whole install list: a folder, JSON of another shape, a file without\n"
    "a [SYSTEM] section with COUNT and numbered entry sections (refused from its first 64 KB),\n"
    "or a COUNT that disagrees with the numbered sections.\n"
    "\n"
    "Examples:\n"
    "  mfglist diff before.json after.json\n"
    "  mfglist diff old/LIST.INI new/LIST.INI --json\n";

const char* const kLintFooter =
    "Checks the process files the library would read (FOLDER/MfgProc.ini, or with --cdrom\n"
    "DrvProc.ini, DrvCofg.ini and SoftProc.ini) with the library's own reader and rules, and\n"
    "prints one line per finding, FILE:LINE:COLUMN: error|warning|note: message [rule],\n"
    "sorted by file and line, each followed by a hint.  Lint does not load the library.\n"
    "A rule or a whole category is switched off with --disable NAME, or for one file with a\n"
    "comment line '; mfglist-lint: disable=NAME[,NAME]'.\n"
    "\n"
    "Exit status: 0 no error (warnings and notes allowed unless --strict); 1 an error was\n"
    "found, or with --strict a warning; 2 bad use (unknown option or rule, no such folder,\n"
    "no process file in it).\n"
    "\n"
    "Examples:\n"
    "  mfglist lint examples/factory\n"
    "  mfglist lint examples/cdrom --cdrom --windows vista --media /srv/cdrom\n"
    "  mfglist lint factory --strict --sarif > mfglist.sarif\n"
    "\n"
    "Rules:\n";

const char* const kIdsFooter =
    "Writes the hardware IDs of this machine as an ID file of the model catalogue: a header of\n"
    "'# key: value' comments (model, form, templates, captured, host, tool), then each device\n"
    "as a comment naming its bus, location and class, followed by its IDs, most specific\n"
    "first.  Devices are in the order of their first IDs; an ID an earlier device gave is not\n"
    "written again.  Linux reads sysfs (PCI, USB, ACPI); Windows asks SetupAPI for every\n"
    "present device.  --root reads a sysfs tree copied from another machine (with its links).\n"
    "\n"
    "Forms: compact (default) {VEN}{DEV}{SUBSYS} and {VEN}{DEV} in upper-case hex, SUBSYS as\n"
    "Windows writes it (subsystem device, then subsystem vendor), and an ACPI device's ID;\n"
    "pnp Windows' hardware-ID and compatible-ID strings (PCI\\VEN_1A2B&DEV_0001&...);\n"
    "--template (repeatable) any other, from {VEN} {DEV} {SUBSYS} {SUBVEN} {SUBDEV} {REV}\n"
    "{CLASS}; a device without a template's fields gives no ID for it.  An entry that cannot\n"
    "be read is left out with a note on standard error.  Status 4 when no device gives an ID.\n"
    "\n"
    "Examples:\n"
    "  mfglist ids -o catalogue/ModelA.txt --model \"Model A\"\n"
    "  mfglist ids --form pnp\n"
    "  mfglist ids --template \"PCI:{VEN}-{DEV}\" --root /media/stick/capture\n"
    "  mfglist preview factory --ids-file catalogue/ModelA.txt\n";

const char* const kMatrixFooter =
    "Runs the library for every model of the catalogue (--models DIR: one ID file per model,\n"
    "MODEL.ids or MODEL.txt, see docs/model-catalogue.md) over FOLDER, exactly as 'mfglist\n"
    "preview' runs it, in --jobs worker processes that share the models out.  Shows a\n"
    "table of the entry sections (rows) by the models (columns), a cell the entry's install\n"
    "position in that model's list; the entries no model gets (dead); per model the entries,\n"
    "whether a list was written, and the IDs no entry claims that the ignore file does not\n"
    "name (CD-ROM driver lists match HARDID, software lists PACKETNAME; a process-file driver\n"
    "list matches no IDs).  Models that do not fit the terminal beside the entries go into\n"
    "further blocks, each repeating the entry columns.  --json gives each cell's explain text.\n"
    "\n"
    "Exit status: 0 every model was run (gaps are shown, not failed); 1 with --require-coverage\n"
    "when a model has an uncovered ID, no list or an empty one; 2 bad use (no folder or\n"
    "catalogue, a model file that cannot be read, a bad header value); 3 the library cannot be\n"
    "loaded; errors are one line on standard error, or with --json a JSON document.\n"
    "\n"
    "Examples:\n"
    "  mfglist matrix examples/cdrom --cdrom --models examples/models\n"
    "  mfglist matrix examples/cdrom --cdrom --models examples/models --json > matrix.json\n"
    "  mfglist matrix examples/cdrom --cdrom --models examples/models --require-coverage\n";

const char* const kImpactFooter =
    "Runs every model of the catalogue over OLD and over NEW as 'mfglist matrix' does and\n"
    "compares each model's two lists as 'mfglist diff' does: entries added, removed, moved in\n"
    "the install order, and keys changed, paired by their section, then by NAME and HARDID.\n"
    "With --git REV the one FOLDER is NEW and OLD is that folder as revision REV has it (git\n"
    "must be on the PATH and FOLDER in a git working tree).  --markdown prints a pull-request\n"
    "comment.\n"
    "\n"
    "Exit status: 0 no model's list changes; 1 some model's list changes; 2 bad use (a folder\n"
    "or catalogue missing, no git, a revision git does not know); 3 the library cannot be\n"
    "loaded.\n"
    "\n"
    "Examples:\n"
    "  mfglist impact old-media media --cdrom --models models\n"
    "  mfglist impact --git origin/main media --cdrom --models models --markdown > comment.md\n";

bool wantsJson(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--json") return true;
    return false;
}

// One failure, told the way the caller asked: a line on standard error, or
// a JSON document on standard output.
int fail(bool json, const std::string& command, int status, const std::string& message) {
    if (json)
        writeStdout(jsonError(command, status, message)
                        .dump(2, ' ', false, Json::error_handler_t::replace) +
                    "\n");
    else
        std::cerr << "mfglist: " << message << '\n';
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Runs the install-list library the way the factory host does.", "mfglist"};
    app.require_subcommand(1);
    // Values here are paths, which on Windows may start with '/': never options.
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", std::string("mfglist ") + MFGLIST_VERSION,
                         "Print the version and exit");
    app.footer(std::string("\nSee 'mfglist preview --help', 'mfglist explain --help', "
                           "'mfglist host --help', 'mfglist diff --help', 'mfglist lint --help',\n"
                           "'mfglist ids --help', 'mfglist matrix --help' and 'mfglist impact --help'.\n") +
               kExitStatusHelp);

    PreviewOptions preview;
    CLI::App* previewCommand = app.add_subcommand(
        "preview", "Show the install list that the library makes from a folder of process files.");
    addRunOptions(*previewCommand, preview);
    addListOutputOptions(*previewCommand, preview);
    previewCommand->add_option("--width", preview.width,
                               "Cut the table to this many columns (default: the terminal's; "
                               "no cutting into a file or pipe)");
    previewCommand->add_flag("--allow-missing", preview.allowMissing,
                             "CD-ROM: a list written without one of its fixed files is a "
                             "success (status 0), not status 5");
    previewCommand->footer(std::string("\n") + kPreviewFooter + "\n" + kExitStatusHelp);

    ExplainOptions explain;
    CLI::App* explainCommand = addExplainCommand(app, explain);

    HostOptions host;
    CLI::App* hostCommand = app.add_subcommand(
        "host", "Call the library with the exact arguments of one factory call.");
    hostCommand
        ->add_option("--command-line", host.commandLine,
                     "The host command line, as one string, for MFG_InitMfgList")
        ->required();
    hostCommand->add_option("--drive", host.drive, "Drive number for MFG_InitMfgList (default 0)");
    hostCommand->add_option("--kind", host.kind,
                            "List kind number for MFG_InitMfgList: 0 driver (default), "
                            "1 software");
    hostCommand->add_option("--id", host.ids, "An ID for MFG_CreateIniFile; repeat for more")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    hostCommand->add_option("--ids-file", host.idsFile,
                            "File of IDs, one a line, taken exactly ('-' = standard input)");
    hostCommand->add_flag("--all-software", host.allSoftware,
                          "Call MFG_CreateAllSoftIniFile instead of MFG_CreateIniFile");
    hostCommand
        ->add_option("--output", host.output,
                     "The list path as the library sees it (a Windows path)")
        ->required();
    hostCommand->add_option("--drives", host.drives,
                            "Linux: the library's drive map, e.g. \"C=/srv/c;D=/srv/d\" "
                            "(MFGLIST_DRIVES); each folder from the root");
    hostCommand->add_option("--winver", host.winver,
                            "Linux: the Windows version the library detects, e.g. 6.0 or "
                            "6.0:server (MFGLIST_WINVER)");
    hostCommand->add_option("--library", host.library,
                            "The library file to load (default: beside this program, else "
                            "this program's folder/../src, else the installed one)");
    hostCommand->add_flag("--allow-empty", host.allowEmpty,
                          "No list file afterwards is a success (status 0), not status 4");
    hostCommand->footer(std::string("\n") + kHostFooter + "\n" + kExitStatusHelp);

    DiffOptions diff;
    CLI::App* diffCommand =
        app.add_subcommand("diff", "Compare two install lists (list files or preview JSON).");
    diffCommand->add_option("A", diff.before, "The list before")->required();
    diffCommand->add_option("B", diff.after, "The list after")->required();
    addJsonOption(*diffCommand, diff.json);
    diffCommand->footer(std::string("\n") + kDiffFooter + "\n" + kExitStatusHelp);

    MatrixOptions matrix;
    CLI::App* matrixCommand = app.add_subcommand(
        "matrix", "Run every model of a catalogue: which model gets which entry.");
    addLineOptions(*matrixCommand, matrix, true);
    addJsonOption(*matrixCommand, matrix.json);
    matrixCommand->add_option("--html", matrix.html, "Write the report as one HTML file");
    matrixCommand->add_flag("--require-coverage", matrix.requireCoverage,
                            "Status 1 when a model has an uncovered ID or an empty list");
    matrixCommand->add_option("--width", matrix.width,
                              "Fit the tables to this many columns (default: the terminal's)");
    matrixCommand->footer(std::string("\n") + kMatrixFooter);

    ImpactOptions impact;
    CLI::App* impactCommand = app.add_subcommand(
        "impact", "What a change of the process files does to every model's list.");
    impactCommand->add_option("FOLDERS", impact.folders, "OLD NEW, or with --git the one folder")
        ->required();
    impactCommand->add_option("--git", impact.git,
                              "Take OLD from this git revision of the folder (e.g. origin/main)");
    addLineOptions(*impactCommand, impact, false);
    addJsonOption(*impactCommand, impact.json);
    impactCommand->add_flag("--markdown", impact.markdown, "Print a pull-request comment");
    impactCommand->add_option("--html", impact.html, "Write the report as one HTML file");
    impactCommand->footer(std::string("\n") + kImpactFooter);

    ModelWorkerOptions worker;
    CLI::App* workerCommand = addModelWorkerCommand(app, worker);

    LintCommandOptions lint;
    CLI::App* lintCommand = app.add_subcommand(
        "lint", "Check process files for mistakes before they reach the factory line.");
    lintCommand->add_option("FOLDER", lint.folder, "Folder of the process files")->required();
    lintCommand->add_flag("--cdrom", lint.cdrom,
                          "CD-ROM mode: check DrvProc.ini, DrvCofg.ini and SoftProc.ini");
    lintCommand
        ->add_option("--group", lint.groups, "A group the line runs (-T); repeat; default PRELOAD")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    lintCommand->add_option("--windows", lint.windows,
                            "xp or vista: the Windows whose program every entry must name "
                            "(default: both, as warnings)");
    lintCommand->add_option("--media", lint.media,
                            "The folder $TESTDIR and $MFGPROCPATH stand for: every program "
                            "path must exist there");
    lintCommand->add_option("--codepage", lint.codePage,
                            "The code page of the files: 1252, 932, 936, 949 or 950 "
                            "(default: MFGLIST_CODEPAGE on Linux, the system's on Windows)");
    addJsonOption(*lintCommand, lint.json);
    lintCommand->add_flag("--sarif", lint.sarif, "Print the findings as SARIF 2.1.0");
    lintCommand->add_option("--kind", lint.kind,
                            "driver or software: the CD-ROM list whose files must all be there "
                            "(default: both)");
    lintCommand->add_option("--format", lint.format,
                            "text, json, sarif or codeclimate (GitLab's code quality report)");
    lintCommand->add_option("--baseline", lint.baseline,
                            "A file of known findings: they do not fail the check, new ones do");
    lintCommand->add_flag("--write-baseline", lint.writeBaseline,
                          "Write the findings to the --baseline file and pass");
    lintCommand->add_flag("--strict", lint.strict, "A warning fails the check too (status 1)");
    lintCommand
        ->add_option("--disable", lint.disabled, "Switch a rule or a category off; repeat")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    lintCommand->footer(std::string("\n") + kLintFooter + lintRuleList());

    IdsOptions ids;
    CLI::App* idsCommand = app.add_subcommand(
        "ids", "Write this machine's hardware IDs as an ID file of the model catalogue.");
    idsCommand->add_option("-o,--output", ids.output,
                           "Write the ID file here (replaced) instead of standard output");
    idsCommand->add_option("--model", ids.model,
                           "The model's name for the header (default: the file's name, else "
                           "the host name)");
    idsCommand->add_option("--form", ids.form, "compact (default) or pnp");
    idsCommand
        ->add_option("--template", ids.templates,
                     "Write IDs in this form instead, e.g. {VEN}{DEV}{SUBSYS}; repeat for more")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    idsCommand->add_option("--root", ids.root,
                           "Read the sysfs tree copied to this folder instead of this machine");
    idsCommand->footer(std::string("\n") + kIdsFooter + "\n" + kExitStatusHelp);

    const bool json = wantsJson(argc, argv);
    const std::string first = argc > 1 ? argv[1] : "";
    const std::string command =
        first == "preview" || first == "explain" || first == "host" || first == "diff" ||
                first == "lint" || first == "ids" || first == "matrix" || first == "impact" ||
                first == kModelWorkerCommand
            ? first
            : "mfglist";
    if (argc < 2)
        return fail(json, command, kExitBadUse,
                    "choose a command, preview, explain, host, diff, lint, ids, matrix or impact; "
                    "see 'mfglist --help'");
    if (!first.empty() && first[0] != '-' && command == "mfglist")
        return fail(json, command, kExitBadUse,
                    "unknown command " + first +
                        "; choose preview, explain, host, diff, lint, ids, matrix or impact, see "
                        "'mfglist --help'");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
        const std::string help = command == "mfglist" ? "mfglist" : "mfglist " + command;
        return fail(json, command, kExitBadUse,
                    parseErrorMessage(e) + "; see '" + help + " --help'");
    }

    std::ostringstream out;
    int status = kExitOk;
    try {
        if (previewCommand->parsed())
            status = runPreview(preview, out);
        else if (explainCommand->parsed())
            status = runExplain(explain, out);
        else if (diffCommand->parsed())
            status = runDiff(diff, out);
        else if (lintCommand->parsed())
            status = runLint(lint, out);
        else if (idsCommand->parsed())
            status = runIds(ids, out);
        else if (matrixCommand->parsed())
            status = runMatrix(matrix, out);
        else if (impactCommand->parsed())
            status = runImpact(impact, out);
        else if (workerCommand->parsed())
            return runModelWorker(worker);
        else
            status = runHost(host);
    } catch (const UsageError& e) {
        return fail(json, command, kExitBadUse, e.what());
    } catch (const LibraryError& e) {
        return fail(json, command, kExitLibraryProblem, e.what());
    } catch (const NoListError& e) {
        return fail(json, command, kExitNoList, e.what());
    } catch (const FailedRunError& e) {
        return fail(json, command, kExitListRunFailed, e.what());
    } catch (const RunError& e) {
        return fail(json, command, kExitRunFailed, e.what());
    } catch (const std::exception& e) {
        return fail(json, command, kExitRunFailed, e.what());
    }
    writeStdout(out.str());
    return status;
}
