#include "options.h"

namespace mfgtool {

const char* const kExitStatusHelp =
    "Exit status: 0 the list was written (diff: the lists are equal); 1 this machine let the\n"
    "run down (temporary folder, a file), or diff: the lists differ; 2 bad use of the command\n"
    "line; 3 the library cannot be loaded or lacks an export; 4 the library wrote no list,\n"
    "or one without entries (--allow-empty accepts that); 5 the library's run failed: its\n"
    "trace names a file it could not read or write, or an error of its own, and the list\n"
    "file was left as it was (--allow-empty does not accept that); 6 preview --cdrom: the list\n"
    "lacks a fixed file of its kind (--allow-missing accepts that).  Errors are one line on\n"
    "standard error, or with --json a JSON document on standard output with the same status.";

namespace {

const char* const kLibraryHelp =
    "The library file to load; by default the one beside this program, else the one in the "
    "build tree (this program's folder/../src), else the installed one";

}  // namespace

void addRunModeOptions(CLI::App& command, RunOptions& options) {
    command.add_flag("--cdrom", options.cdrom,
                     "CD-ROM mode: read DrvProc.ini, DrvCofg.ini and SoftProc.ini");
    command.add_option("--group", options.group, "Group to list (-T); default PRELOAD");
    command.add_flag("--callfactory", options.callFactory,
                     "Read every group setting into SYSTEM (-F), not LOG_FILE only");
}

void addRunOptions(CLI::App& command, RunOptions& options) {
    command
        .add_option("FOLDER", options.folder,
                    "Folder of the process files (MfgProc.ini, or the CD-ROM files with --cdrom)")
        ->required();
    addRunModeOptions(command, options);
    command
        .add_option("--kind", options.kind,
                    "List kind: driver (default), software or all-software; wins over an "
                    "--ids-file's '# kind:' header")
        ->each([&options](const std::string&) { options.kindGiven = true; });
    command
        .add_option("--id", options.ids,
                    "A hardware ID (driver list) or package name (software list); repeat for more")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    command.add_option("--ids-file", options.idsFile,
                       "File of IDs, one a line ('-' = standard input): UTF-8 (with or without "
                       "BOM), UTF-16 with BOM, or the library's code page; blank lines and lines "
                       "starting with # or ; are skipped");
    command.add_option("--windows", options.windows,
                       "Windows the library targets: xp or vista (default: an --ids-file's "
                       "'# windows:' header, else this machine's)");
    command.add_option("--library", options.library, kLibraryHelp);
    command.add_option("--ignore", options.ignore,
                       "File of device IDs that need no driver, one a line (default: ignore.ids "
                       "beside the --ids-file, as in a model catalogue)");
}

void addListOutputOptions(CLI::App& command, ListOutputOptions& options) {
    command.add_option("--output", options.output,
                       "Keep the list file here: an existing file is replaced only by a list "
                       "this run wrote; default: a temporary file");
    command.add_flag("--trace", options.trace, "Show the library's trace of this run");
    addJsonOption(command, options.json);
    command.add_flag("--allow-empty", options.allowEmpty,
                     "A list without entries is a success (status 0), not status 4");
}

void addJsonOption(CLI::App& command, bool& json) {
    command.add_flag("--json", json,
                     "Print JSON (docs/mfglist.schema.json); errors too, on standard output");
}

void addIdNamesOption(CLI::App& command, std::optional<std::string>& where) {
    command.add_option("--id-names", where,
                       "pci.ids and usb.ids for device names: their folder, or one of them "
                       "(default: MFGLIST_ID_NAMES, else the system's copies; \"\" for none)");
}

std::string parseErrorMessage(const CLI::ParseError& error) {
    std::string text = error.what();
    const auto after = [&](const std::string& start) {
        return text.rfind(start, 0) == 0 ? text.substr(start.size()) : std::string();
    };
    if (dynamic_cast<const CLI::ExtrasError*>(&error)) {
        std::string extras = after("The following arguments were not expected: ");
        if (extras.empty()) extras = after("The following argument was not expected: ");
        return "unknown option or extra argument " + (extras.empty() ? text : extras);
    }
    if (dynamic_cast<const CLI::RequiredError*>(&error)) {
        const std::string name = text.substr(0, text.find(' '));
        return name + " is required";
    }
    if (dynamic_cast<const CLI::ConversionError*>(&error) ||
        dynamic_cast<const CLI::ValidationError*>(&error))
        return "a value is not a number where one is needed (" + text + ")";
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error))
        return "an option lacks its value (" + text + ")";
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

}  // namespace mfgtool
