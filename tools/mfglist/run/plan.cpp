#include "plan.h"

#include <cctype>
#include <optional>
#include <system_error>

#include "common/errors.h"
#include "common/system.h"
#include "common/text_encoding.h"
#include "ids/id_file.h"
#include "ids/id_file_header.h"
#include "mfglist/mfglist.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

const char* const kProcessFile = "MfgProc.ini";

const std::vector<std::string> kCdromFiles = {"DrvProc.ini", "DrvCofg.ini", "SoftProc.ini"};

// The library finds its files without regard to case on every platform:
// the file of `folder` it reads as `name`, if any.
std::optional<fs::path> fileInFolder(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    const std::string wanted = lowerAscii(name);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (lowerAscii(it->path().filename().string()) == wanted) return it->path();
    return std::nullopt;
}

bool folderHolds(const fs::path& folder, const std::string& name) {
    return fileInFolder(folder, name).has_value();
}

}  // namespace

void requireOptionSafe(const std::string& value, const std::string& what) {
    for (std::size_t i = 0; i < value.size(); ++i) {
        const bool starts = i == 0 || std::isspace(static_cast<unsigned char>(value[i - 1]));
        if (value[i] == '-' && starts)
            throw UsageError(what + " \"" + value +
                             "\" has a '-' after white space, which the library would read as a "
                             "new option; use one without");
    }
}

std::string argumentForLibrary(const std::string& value, int codePage, const std::string& what) {
    if (!argumentsAreUtf8() || !isValidUtf8(value)) return value;
    std::optional<std::string> encoded = encodeCodePage(value, codePage);
    if (!encoded)
        throw UsageError(what + " \"" + value + "\" has a character that code page " +
                         std::to_string(codePage) + " (the library's) cannot hold");
    return *encoded;
}

namespace {

// The folder and its mode: the process files the library will read, and
// the group it is asked for.
void planProcessFiles(Plan& plan, const RunOptions& options) {
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
    plan.cdrom = options.cdrom;
    plan.callFactory = options.callFactory;
    for (const std::string& name :
         options.cdrom ? kCdromFiles : std::vector<std::string>{kProcessFile})
        plan.reads.push_back(
            {fileInFolder(plan.folder, name).value_or(plan.folder / name), "the process file"});
    if (options.group) {
        if (options.group->empty()) throw UsageError("--group needs a group name, such as PRELOAD");
        requireOptionSafe(*options.group, "the group name");
        plan.group = argumentForLibrary(*options.group, plan.codePage, "the group name");
    }
}

// The ID file's bytes and, when they can be decoded, its header.
IdFileHeader loadIdsFile(Plan& plan, const RunOptions& options, std::string& idsBytes) {
    IdFileHeader header;
    if (!options.idsFile) return header;
    idsBytes = readIdsFileBytes(*options.idsFile);
    bool unicode = false;
    try {
        header = readIdFileHeader(decodeIdsText(idsBytes, unicode));
    } catch (const std::exception&) {
        // Text that cannot be decoded is named by the ID reading below.
    }
    std::error_code ec;
    if (*options.idsFile != "-") plan.idsFile = fs::absolute(*options.idsFile, ec);
    return header;
}

void planKind(Plan& plan, const RunOptions& options, const IdFileHeader& header,
              const std::string& headerSays) {
    std::string kind = options.kind;
    if (options.kindGiven) plan.kindFrom = "option";
    if (!options.kindGiven && header.kind) {
        kind = *header.kind;
        plan.kindFrom = "ids-file header";
    }
    plan.kind = kind;
    if (kind == "driver") {
        plan.listKind = LIST_DRIVER;
    } else if (kind == "software") {
        plan.listKind = LIST_SOFTWARE;
    } else if (kind == "all-software") {
        plan.listKind = LIST_SOFTWARE;
        plan.allSoftware = true;
    } else {
        throw UsageError("unknown list kind " + kind +
                         (plan.kindFrom == "ids-file header" ? " in " + headerSays : "") +
                         "; use --kind driver, software or all-software");
    }
    // A model whose header asks for the complete software list takes no
    // IDs, as the line runs it; only IDs asked for in options are refused.
    const bool idsAsked =
        !options.ids.empty() || (options.idsFile && plan.kindFrom != "ids-file header");
    if (plan.allSoftware && idsAsked)
        throw UsageError(
            "--kind all-software lists every software entry of the group and takes no "
            "IDs; leave out --id and --ids-file");
}

void planWindows(Plan& plan, const RunOptions& options, const IdFileHeader& header,
                 const std::string& headerSays) {
    std::optional<std::string> windows = options.windows;
    if (windows) plan.windowsFrom = "option";
    if (!windows && header.windows) {
        windows = header.windows;
        plan.windowsFrom = "ids-file header";
    }
    if (!windows) return;
    const std::string where = plan.windowsFrom == "ids-file header" ? " (" + headerSays + ")" : "";
    if (*windows == "xp") {
        plan.windows = Windows::xp;
    } else if (*windows == "vista") {
        plan.windows = Windows::vista;
    } else if (*windows == "vista64") {
        throw UsageError("the library has no detection for 64-bit Vista" + where +
                         ": it detects xp or vista only; use --windows xp or --windows vista");
    } else {
        throw UsageError("unknown Windows " + *windows + where + "; use --windows xp or vista");
    }
}

// The IDs given as options, then those of the ID file, and the devices they
// stand for.
void planIds(Plan& plan, const RunOptions& options, const std::string& idsBytes) {
    for (const std::string& id : options.ids)
        plan.ids.push_back(argumentForLibrary(id, plan.codePage, "the ID"));
    if (options.idsFile && *options.idsFile != "-")
        plan.reads.push_back({*options.idsFile, "the IDs file"});
    if (options.idsFile && !plan.allSoftware) {
        const std::string name = idsFileName(*options.idsFile);
        std::vector<std::string> more = idsFromText(idsBytes, IdLines::tidy, plan.codePage, name);
        plan.idsFileEmpty = more.empty();
        plan.devices = idFileDevices(idsBytes, plan.codePage, name, plan.ids);
        plan.ids.insert(plan.ids.end(), more.begin(), more.end());
    } else {
        plan.devices = idFileDevices("", plan.codePage, "", plan.ids);
    }
}

}  // namespace

Plan planRun(const RunOptions& options) {
    Plan plan;
    plan.codePage = libraryCodePage();
    planProcessFiles(plan, options);
    // The ID file first: a model file's header may say the kind and Windows.
    std::string idsBytes;
    const IdFileHeader header = loadIdsFile(plan, options, idsBytes);
    const std::string headerSays = "the header of " + idsFileName(options.idsFile.value_or(""));
    planKind(plan, options, header, headerSays);
    planWindows(plan, options, header, headerSays);
    planIds(plan, options, idsBytes);
    return plan;
}

void planOutput(Plan& plan, const std::string& output) {
    std::error_code ec;
    fs::path path = fs::absolute(fs::path(output), ec);
    if (ec) path = output;
    if (fs::is_directory(path, ec))
        throw UsageError(output + " is a folder; give a file path for the list");
    if (!fs::is_directory(path.parent_path(), ec))
        throw UsageError("no folder " + path.parent_path().string() +
                         " for the list file; make it first or give another --output");
    // Read-only as the library's machine takes it: no write permission at
    // all, even for root.
    constexpr fs::perms kAnyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    const fs::file_status status = fs::status(path, ec);
    if (fs::exists(status) && (status.permissions() & kAnyWrite) == fs::perms::none)
        throw UsageError(output + " is read-only; make it writable or give another --output");
    refuseOutputOverInput(path, "--output", plan.reads);
    plan.output = path;
}

}  // namespace mfgtool
