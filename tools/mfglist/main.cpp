// mfglist: the command-line host of the install-list library.  It loads the
// library at run time and calls its exports as the factory host does, either
// from a folder of process files (`preview`) or with the exact arguments of
// one factory call (`host`).
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>

#include "commands.h"
#include "errors.h"

namespace {

const char* const kExitStatuses =
    "Exit status: 0 done; 1 this machine let the run down (temporary folder, a file);\n"
    "2 bad use of the command line; 3 the library cannot be loaded or lacks an export.\n"
    "Errors are one line on standard error.";

const char* const kLibraryHelp =
    "The library file to load; by default the one beside this program, else the one in the "
    "build tree (this program's folder/../src)";

const char* const kPreviewFooter =
    "Process-file mode (the default) reads FOLDER/MfgProc.ini: a driver list takes every\n"
    "driver entry of the group, a software list the software entries whose PACKETNAME is one\n"
    "of the IDs, --kind all-software every software entry of the group.  CD-ROM mode (--cdrom)\n"
    "reads DrvProc.ini (drivers matched by hardware ID, in install order), DrvCofg.ini (drivers\n"
    "for every machine) and SoftProc.ini (software) from FOLDER; the library's group is\n"
    "PRELOAD unless --group says otherwise.\n"
    "\n"
    "On Linux the tool maps FOLDER to drive P:, the list's folder to L: and scratch folders to\n"
    "C: and D: (MFGLIST_DRIVES) for the library, and --windows sets MFGLIST_WINVER.  On Windows\n"
    "the library sees the real folders and detects the real version.\n"
    "\n"
    "Examples:\n"
    "  mfglist preview examples/factory --ids-file examples/ids.txt\n"
    "  mfglist preview examples/factory --group REWORK --callfactory --windows vista\n"
    "  mfglist preview examples/factory --kind software --id MEDIAPLAYER --id BACKUP\n"
    "  mfglist preview examples/cdrom --cdrom --ids-file examples/ids.txt --trace\n"
    "  mfglist preview examples/cdrom --cdrom --kind all-software --json\n"
    "  mfglist preview examples/factory --output list.ini\n";

const char* const kHostFooter =
    "Prints nothing but errors and leaves the list file where --output says.  IDs from\n"
    "--ids-file are taken line by line exactly as written (only line ends are removed).\n"
    "On Linux the library sees the drives of MFGLIST_DRIVES (or --drives) and the version of\n"
    "MFGLIST_WINVER (or --winver); on Windows the real ones.  A command line that begins\n"
    "with '-' is given as --command-line=-CDROM.\n"
    "\n"
    "Examples:\n"
    "  mfglist host --command-line \"C:\\TOOLS\\SETUP.EXE -P C:\\PROC -T PRELOAD -F\" \\\n"
    "      --id 1A2B0001C0DE0101 --output C:\\LIST.INI --drives \"C=/srv/c;D=/srv/d\"\n"
    "  mfglist host --command-line \"SETUP.EXE -CDROM\" --kind 1 --all-software \\\n"
    "      --output D:\\SOFT.INI\n";

std::string commandOf(const CLI::App& app) {
    const auto chosen = app.get_subcommands();
    return chosen.empty() ? "mfglist" : "mfglist " + chosen.front()->get_name();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace mfgtool;

    CLI::App app{"Runs the install-list library the way the factory host does.", "mfglist"};
    app.require_subcommand(1);
    // Values here are paths, which on Windows may start with '/': never options.
    app.allow_windows_style_options(false);
    app.footer(std::string("\nSee 'mfglist preview --help' and 'mfglist host --help'.\n") +
               kExitStatuses);

    PreviewOptions preview;
    CLI::App* previewCommand = app.add_subcommand(
        "preview", "Show the install list that the library makes from a folder of process files.");
    previewCommand
        ->add_option("FOLDER", preview.folder,
                     "Folder of the process files (MfgProc.ini, or the CD-ROM files "
                     "with --cdrom)")
        ->required();
    previewCommand->add_flag("--cdrom", preview.cdrom,
                             "CD-ROM mode: read DrvProc.ini, DrvCofg.ini and SoftProc.ini");
    previewCommand->add_option("--group", preview.group, "Group to list (-T); default PRELOAD");
    previewCommand->add_flag("--callfactory", preview.callFactory,
                             "Read every group setting into SYSTEM (-F), not LOG_FILE only");
    previewCommand->add_option("--kind", preview.kind,
                               "List kind: driver (default), software or all-software");
    previewCommand
        ->add_option("--id", preview.ids,
                     "A hardware ID (driver list) or package name (software list); "
                     "repeat for more")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    previewCommand->add_option("--ids-file", preview.idsFile,
                               "File of IDs, one a line ('-' = standard input); blank lines and "
                               "lines starting with # are skipped");
    previewCommand->add_option("--windows", preview.windows,
                               "Windows the library targets: xp or vista (on Windows: the "
                               "detected one only)");
    previewCommand->add_option("--output", preview.output,
                               "Keep the list file here (replaced); default: a temporary file");
    previewCommand->add_flag("--trace", preview.trace,
                             "Raise the library's debug flag for this run and show its trace");
    previewCommand->add_flag("--json", preview.json, "Print the run and the list as JSON");
    previewCommand->add_option("--library", preview.library, kLibraryHelp);
    previewCommand->footer(std::string("\n") + kPreviewFooter + "\n" + kExitStatuses);

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
                            "(MFGLIST_DRIVES)");
    hostCommand->add_option("--winver", host.winver,
                            "Linux: the Windows version the library detects, e.g. 6.0 "
                            "(MFGLIST_WINVER)");
    hostCommand->add_option("--library", host.library, kLibraryHelp);
    hostCommand->footer(std::string("\n") + kHostFooter + "\n" + kExitStatuses);

    if (argc < 2) {
        std::cerr << "mfglist: choose a command, preview or host; see 'mfglist --help'\n";
        return kExitBadUse;
    }
    const std::string first = argv[1];
    if (!first.empty() && first[0] != '-' && first != "preview" && first != "host") {
        std::cerr << "mfglist: unknown command " << first
                  << "; choose preview or host, see 'mfglist --help'\n";
        return kExitBadUse;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
        const std::string command = commandOf(app);
        std::cerr << "mfglist: " << e.what() << "; see '" << command << " --help'\n";
        return kExitBadUse;
    }

    try {
        if (previewCommand->parsed()) return runPreview(preview, std::cout);
        return runHost(host);
    } catch (const UsageError& e) {
        std::cerr << "mfglist: " << e.what() << '\n';
        return kExitBadUse;
    } catch (const LibraryError& e) {
        std::cerr << "mfglist: " << e.what() << '\n';
        return kExitLibraryProblem;
    } catch (const RunError& e) {
        std::cerr << "mfglist: " << e.what() << '\n';
        return kExitRunFailed;
    } catch (const std::exception& e) {
        std::cerr << "mfglist: " << e.what() << '\n';
        return kExitRunFailed;
    }
}
