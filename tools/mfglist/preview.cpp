// `mfglist preview`: a factory call made from a folder of process files, and
// the list it gives shown the way a person reads it.  The host builds the
// command line and the machine itself, so that the user names native folders
// and files only.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <system_error>

#include "commands.h"
#include "errors.h"
#include "ids.h"
#include "library.h"
#include "list_file.h"
#include "machine.h"
#include "system.h"
#include "table.h"
#include "trace_capture.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

constexpr int kDefaultColumns = 100;
const char* const kProcessFile = "MfgProc.ini";
const char* const kDefaultGroup = "PRELOAD";

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The library finds its files without regard to case on every platform.
bool folderHolds(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    const std::string wanted = lowerAscii(name);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (lowerAscii(it->path().filename().string()) == wanted) return true;
    return false;
}

// The library starts an option at a "-" that opens the line or follows white
// space, so such a "-" inside a value would cut the value short there.
void requireOptionSafe(const std::string& value, const std::string& what) {
    for (std::size_t i = 0; i < value.size(); ++i) {
        const bool starts = i == 0 || std::isspace(static_cast<unsigned char>(value[i - 1]));
        if (value[i] == '-' && starts)
            throw UsageError(what + " \"" + value +
                             "\" has a '-' after white space, which the library would read as a "
                             "new option; use one without");
    }
}

struct Plan {
    fs::path folder;
    int listKind = LIST_DRIVER;
    bool allSoftware = false;
    std::vector<std::string> ids;
    std::optional<Windows> windows;
    std::optional<fs::path> output;  // native; none = a temporary file
};

Plan check(const PreviewOptions& options) {
    Plan plan;
    std::error_code ec;
    plan.folder = fs::absolute(fs::path(options.folder), ec);
    if (ec) plan.folder = options.folder;
    if (!fs::exists(plan.folder, ec))
        throw UsageError("no folder " + options.folder +
                         "; give the folder that holds the process files");
    if (!fs::is_directory(plan.folder, ec))
        throw UsageError(options.folder +
                         " is not a folder; give the folder that holds the process files");
    const bool hasProcessFile = folderHolds(plan.folder, kProcessFile);
    if (!options.cdrom && !hasProcessFile)
        throw UsageError(options.folder + " holds no " + kProcessFile +
                         "; for a folder of CD-ROM process files (DrvProc.ini, DrvCofg.ini, "
                         "SoftProc.ini) add --cdrom");
    if (options.cdrom && hasProcessFile)
        throw UsageError(options.folder + " holds " + kProcessFile +
                         ", which the library would read instead of the CD-ROM files; "
                         "preview a folder without it");
    if (options.cdrom && options.callFactory)
        throw UsageError(
            "--callfactory has no effect in CD-ROM mode, where the library turns it "
            "off; leave it out");
    if (options.group) {
        if (options.group->empty()) throw UsageError("--group needs a group name, such as PRELOAD");
        requireOptionSafe(*options.group, "the group name");
    }

    if (options.kind == "driver") {
        plan.listKind = LIST_DRIVER;
    } else if (options.kind == "software") {
        plan.listKind = LIST_SOFTWARE;
    } else if (options.kind == "all-software") {
        plan.listKind = LIST_SOFTWARE;
        plan.allSoftware = true;
    } else {
        throw UsageError("unknown list kind " + options.kind +
                         "; use --kind driver, software or all-software");
    }
    if (plan.allSoftware && (!options.ids.empty() || options.idsFile))
        throw UsageError(
            "--kind all-software lists every software entry of the group and takes no "
            "IDs; leave out --id and --ids-file");

    if (options.windows) {
        if (*options.windows == "xp") {
            plan.windows = Windows::Xp;
        } else if (*options.windows == "vista") {
            plan.windows = Windows::Vista;
        } else if (*options.windows == "vista64") {
            throw UsageError(
                "the library has no detection for 64-bit Vista: it detects xp or "
                "vista only; use --windows xp or --windows vista");
        } else {
            throw UsageError("unknown Windows " + *options.windows + "; use --windows xp or vista");
        }
    }

    plan.ids = options.ids;
    if (options.idsFile) {
        std::vector<std::string> more = readIdsFile(*options.idsFile, IdLines::Tidy);
        plan.ids.insert(plan.ids.end(), more.begin(), more.end());
    }

    if (options.output) {
        fs::path output = fs::absolute(fs::path(*options.output), ec);
        if (ec) output = *options.output;
        if (fs::is_directory(output, ec))
            throw UsageError(*options.output + " is a folder; give a file path for the list");
        if (!fs::is_directory(output.parent_path(), ec))
            throw UsageError("no folder " + output.parent_path().string() +
                             " for the list file; make it first or give another --output");
        plan.output = output;
    }
    return plan;
}

// A fresh folder of this run, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code ec;
        const fs::path base = fs::temp_directory_path(ec);
        if (ec) throw RunError("no temporary folder on this machine: " + ec.message());
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            fs::path candidate =
                base / ("mfglist-" + std::to_string(processId()) + "-" + std::to_string(attempt));
            if (fs::create_directory(candidate, ec)) {
                path_ = candidate;
                return;
            }
        }
        throw RunError("cannot make a folder in " + base.string() + ": " + ec.message());
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

int outputColumns() {
    if (const int columns = terminalColumns(); columns > 0) return columns;
    if (const char* text = std::getenv("COLUMNS")) {
        const int columns = std::atoi(text);
        if (columns > 0) return columns;
    }
    return kDefaultColumns;
}

std::string valueOf(const KeyValues& keys, const std::string& key) {
    for (const auto& [name, value] : keys)
        if (name == key) return value;
    return {};
}

const char* kindLabel(const Plan& plan) {
    if (plan.allSoftware) return "complete software list";
    return plan.listKind == LIST_SOFTWARE ? "software list" : "driver list";
}

struct Run {
    std::string commandLine;
    std::string libraryFile;
    std::string folderForLibrary;
    std::vector<std::pair<char, fs::path>> drives;
    std::string group;
    Windows windows = Windows::Xp;
    InstallList list;
    std::vector<std::string> trace;
};

void printText(const PreviewOptions& options, const Plan& plan, const Run& run, std::ostream& out) {
    const std::size_t width = static_cast<std::size_t>(outputColumns());
    constexpr std::size_t kLabel = 15;
    const auto row = [&](const std::string& label, const std::string& value, bool path = false) {
        const std::size_t room = width > kLabel + 8 ? width - kLabel : 8;
        out << label << std::string(kLabel - label.size(), ' ') << fitCell(value, room, path)
            << '\n';
    };
    std::string seen = plan.folder.string();
    if (run.folderForLibrary != plan.folder.string() + "\\" &&
        run.folderForLibrary != plan.folder.string())
        seen += "  (the library sees " + run.folderForLibrary + ")";
    row("Process files", seen, true);
    row("Mode", options.cdrom ? "CD-ROM: DrvProc.ini, DrvCofg.ini, SoftProc.ini"
                              : std::string("process file: ") + kProcessFile);
    row("List", std::string(kindLabel(plan)) + " of group " + run.group + " for Windows " +
                    windowsName(run.windows) + (options.callFactory ? ", CALLFACTORY" : ""));
    if (!plan.allSoftware) {
        const bool one = plan.ids.size() == 1;
        std::string ids =
            std::to_string(plan.ids.size()) + (plan.listKind == LIST_SOFTWARE
                                                   ? (one ? " package name" : " package names")
                                                   : (one ? " hardware ID" : " hardware IDs"));
        if (!options.cdrom && plan.listKind == LIST_DRIVER)
            ids += ", not matched for a driver list from " + std::string(kProcessFile);
        row("IDs", ids);
    }
    row("Command line", run.commandLine);
    row("Library", run.libraryFile, true);
    row("List file", plan.output ? plan.output->string() : "temporary, removed afterwards",
        plan.output.has_value());

    if (run.list.system) {
        out << "\nSYSTEM\n";
        std::size_t keyWidth = 0;
        for (const auto& [key, value] : *run.list.system) keyWidth = std::max(keyWidth, key.size());
        for (const auto& [key, value] : *run.list.system) {
            std::string line = "  " + key + std::string(keyWidth - key.size() + 2, ' ') + value;
            while (!line.empty() && line.back() == ' ') line.pop_back();
            out << fitCell(line, width, false) << '\n';
        }
    }

    out << '\n';
    if (run.list.entries.empty()) {
        out << "Entries: the list has no entries"
            << (run.list.written ? "." : " (the library wrote no list file).") << '\n';
    } else {
        out << "Entries in install order: " << run.list.entries.size() << '\n';
        const std::vector<TableColumn> columns = {
            {"#", true, false, false, 0},       {"NAME", false, true, false, 16},
            {"TYPE", false, true, false, 9},    {"HARDID", false, true, false, 16},
            {"ID", true, false, false, 0},      {"EXEPATH", false, true, true, 20},
            {"TIMEOUT", true, false, false, 0}, {"REBOOT_COUNT", true, false, false, 0},
        };
        std::vector<std::vector<std::string>> rows;
        for (std::size_t i = 0; i < run.list.entries.size(); ++i) {
            const KeyValues& entry = run.list.entries[i];
            rows.push_back({std::to_string(i), valueOf(entry, "NAME"), valueOf(entry, "TYPE"),
                            valueOf(entry, "HARDID"), valueOf(entry, "ID"),
                            valueOf(entry, "EXEPATH"), valueOf(entry, "TIMEOUT"),
                            valueOf(entry, "REBOOT_COUNT")});
        }
        for (const std::string& line : renderTable(columns, rows, width)) out << line << '\n';
    }
    for (const std::string& problem : run.list.problems) out << "warning: " << problem << '\n';

    if (options.trace) {
        out << "\nTrace of this run (D:\\ombrix_drvinst.log)";
        if (run.trace.empty()) out << ": the library wrote no trace lines";
        out << '\n';
        for (const std::string& line : run.trace) out << "  " << line << '\n';
    }
}

void printJson(const PreviewOptions& options, const Plan& plan, const Run& run, std::ostream& out) {
    using Json = nlohmann::ordered_json;
    const auto object = [](const KeyValues& keys) {
        Json json = Json::object();
        for (const auto& [key, value] : keys) json[key] = value;
        return json;
    };
    Json json;
    json["folder"] = plan.folder.string();
    json["folder_for_library"] = run.folderForLibrary;
    json["mode"] = options.cdrom ? "cdrom" : "process-file";
    json["kind"] = options.kind;
    json["group"] = run.group;
    json["callfactory"] = options.callFactory;
    json["windows"] = windowsName(run.windows);
    json["ids"] = plan.ids;
    json["command_line"] = run.commandLine;
    Json drives = Json::object();
    for (const auto& [letter, folder] : run.drives)
        drives[std::string(1, letter)] = folder.string();
    json["drives"] = drives;
    json["library"] = run.libraryFile;
    json["list_file"] = plan.output ? Json(plan.output->string()) : Json(nullptr);
    json["list_written"] = run.list.written;
    json["system"] = run.list.system ? object(*run.list.system) : Json(nullptr);
    Json entries = Json::array();
    for (std::size_t i = 0; i < run.list.entries.size(); ++i) {
        Json entry = Json::object();
        entry["position"] = i;
        for (const auto& [key, value] : run.list.entries[i]) entry[key] = value;
        entries.push_back(entry);
    }
    json["entries"] = entries;
    json["problems"] = run.list.problems;
    if (options.trace) json["trace"] = run.trace;
    // Bytes from the process files need not be UTF-8: show them, never fail.
    out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace

int runPreview(const PreviewOptions& options, std::ostream& out) {
    const Plan plan = check(options);
    const ListLibrary library = loadListLibrary(options.library, programFolder());

    ScratchFolder scratch;
    std::unique_ptr<LibraryMachine> machine = makeLibraryMachine(scratch.path());
    Run run;
    run.libraryFile = library.file.string();
    run.folderForLibrary = machine->reach(plan.folder, 'P');
    run.windows = machine->settleWindows(plan.windows);
    run.group = options.group ? *options.group : kDefaultGroup;

    fs::path listFile;
    std::string listForLibrary;
    std::error_code ec;
    if (plan.output) {
        listFile = *plan.output;
        // The library adds to a list file that is there already; a preview
        // shows this run's list only.
        fs::remove(listFile, ec);
        listForLibrary = machine->reach(listFile.parent_path(), 'L') + listFile.filename().string();
    } else {
        fs::create_directory(scratch.path() / "list", ec);
        listFile = scratch.path() / "list" / "list.ini";
        listForLibrary = machine->reach(listFile.parent_path(), 'L') + "list.ini";
    }

    // On the line and on a CD-ROM the library lies beside its process files,
    // so its folder is $TESTDIR: -D makes the previewed folder $TESTDIR, as
    // if the library lay there, instead of the build tree it is loaded from.
    // In CD-ROM mode the library reads its fixed files from its own folder;
    // pointing -P at a folder without MfgProc.ini gives the same mode with
    // the files read from there.
    requireOptionSafe(run.folderForLibrary, "the folder's path");
    run.commandLine = "mfglist -D " + run.folderForLibrary + " -P " + run.folderForLibrary;
    if (options.group) run.commandLine += " -T " + *options.group;
    if (options.callFactory) run.commandLine += " -F";

    machine->publish();
    run.drives = machine->mappedDrives();
    {
        std::optional<TraceCapture> capture;
        if (options.trace)
            capture.emplace(machine->fixedFile('C', "vrelDebug.flg"),
                            machine->fixedFile('D', "ombrix_drvinst.log"));
        std::vector<const char*> pointers;
        for (const std::string& id : plan.ids) pointers.push_back(id.c_str());
        library.initMfgList(plan.listKind, run.commandLine.c_str(), 0);
        if (plan.allSoftware)
            library.createAllSoftIniFile(listForLibrary.c_str());
        else
            library.createIniFile(static_cast<int>(pointers.size()),
                                  pointers.empty() ? nullptr : pointers.data(),
                                  listForLibrary.c_str());
        if (capture) run.trace = capture->lines();
    }
    run.list = readInstallList(listFile);

    if (options.json)
        printJson(options, plan, run, out);
    else
        printText(options, plan, run, out);
    return kExitOk;
}

}  // namespace mfgtool
