// `mfglist host`: one factory call reproduced exactly.  Every value goes to
// the library as given; nothing is checked that the library itself would
// take, so that a faulty call on the line can be replayed here.  Afterwards
// the list file must be there, as the factory host needs it, and the
// library's trace of the run must hold no failure.
#include "commands.h"

#include <memory>
#include <optional>
#include <vector>

#include "common/errors.h"
#include "common/options.h"
#include "common/system.h"
#include "common/text_encoding.h"
#include "ids/id_file.h"
#include "run/host_trace.h"
#include "run/library.h"
#include "run/machine.h"
#include "run/no_list.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

struct HostOptions {
    std::string commandLine;
    int drive = 0;
    int kind = 0;
    std::vector<std::string> ids;
    std::optional<std::string> idsFile;
    bool allSoftware = false;
    std::string output;
    std::optional<std::string> drives;
    std::optional<std::string> winver;
    std::optional<std::string> library;
    bool allowEmpty = false;
};

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

int runHost(const HostOptions& options) {
    if (options.allSoftware && (!options.ids.empty() || options.idsFile))
        throw UsageError(
            "--all-software passes no IDs (MFG_CreateAllSoftIniFile takes none); "
            "leave out --id and --ids-file");
    std::vector<std::string> ids = options.ids;
    if (options.idsFile) {
        std::vector<std::string> more =
            readIdsFile(*options.idsFile, IdLines::verbatim, libraryCodePage());
        ids.insert(ids.end(), more.begin(), more.end());
    }
    applyHostMachine(options.drives, options.winver);

    const ListLibrary library = loadListLibrary(options.library, programFolder());
    std::vector<const char*> pointers;
    for (const std::string& id : ids) pointers.push_back(id.c_str());

    const NativePath native = [](const std::string& path) {
        std::string why;
        return hostNativePath(path, why);
    };
    const HostTrace trace(*library.module, native);

    library.initMfgList(options.kind, options.commandLine.c_str(), options.drive);
    if (options.allSoftware)
        library.createAllSoftIniFile(options.output.c_str());
    else
        library.createIniFile(static_cast<int>(pointers.size()),
                              pointers.empty() ? nullptr : pointers.data(), options.output.c_str());

    if (options.output.empty()) {
        if (options.allowEmpty) return kExitOk;
        throw NoListError("the list path is empty, so the library writes nothing; give --output");
    }
    // A failed run fails whatever file is at the list path: the old list
    // left as it was is not this run's.
    const std::optional<TracedProblem> problem = problemFromTrace(trace.lines(), native);
    if (problem && problem->failedRun)
        throw FailedRunError("the library's run failed (list " + options.output +
                             "): " + problem->reason);
    std::string why;
    std::error_code ec;
    const std::optional<fs::path> output = hostNativePath(options.output, why);
    if ((output && fs::is_regular_file(*output, ec)) || options.allowEmpty) return kExitOk;
    std::optional<std::string> reason;
    if (problem) reason = problem->reason;
    if (!reason && !output) reason = why;
    if (!reason) {
        const std::string missing = whyMissing(options.output, native, "list file");
        reason = missing.rfind("no list file", 0) == 0
                     ? "no entry was selected (--allow-empty accepts a run without a list)"
                     : missing;
    }
    throw NoListError("the library wrote no list at " + options.output + ": " + *reason);
}

}  // namespace

Command addHostCommand(CLI::App& app) {
    auto options = std::make_shared<HostOptions>();
    CLI::App* command = app.add_subcommand(
        "host", "Call the library with the exact arguments of one factory call.");
    command
        ->add_option("--command-line", options->commandLine,
                     "The host command line, as one string, for MFG_InitMfgList")
        ->required();
    command->add_option("--drive", options->drive, "Drive number for MFG_InitMfgList (default 0)");
    command->add_option("--kind", options->kind,
                        "List kind number for MFG_InitMfgList: 0 driver (default), "
                        "1 software");
    command->add_option("--id", options->ids, "An ID for MFG_CreateIniFile; repeat for more")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    command->add_option("--ids-file", options->idsFile,
                        "File of IDs, one a line, taken exactly ('-' = standard input)");
    command->add_flag("--all-software", options->allSoftware,
                      "Call MFG_CreateAllSoftIniFile instead of MFG_CreateIniFile");
    command
        ->add_option("--output", options->output,
                     "The list path as the library sees it (a Windows path)")
        ->required();
    command->add_option("--drives", options->drives,
                        "Linux: the library's drive map, e.g. \"C=/srv/c;D=/srv/d\" "
                        "(MFGLIST_DRIVES); each folder from the root");
    command->add_option("--winver", options->winver,
                        "Linux: the Windows version the library detects, e.g. 6.0 or "
                        "6.0:server (MFGLIST_WINVER)");
    command->add_option("--library", options->library,
                        "The library file to load (default: beside this program, else "
                        "this program's folder/../src, else the installed one)");
    command->add_flag("--allow-empty", options->allowEmpty,
                      "No list file afterwards is a success (status 0), not status 4");
    command->footer(std::string("\n") + kHostFooter + "\n" + kExitStatusHelp);
    return {command, [options](std::ostream&) { return runHost(*options); }};
}

}  // namespace mfgtool
