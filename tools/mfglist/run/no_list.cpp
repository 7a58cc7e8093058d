#include "no_list.h"

#include <system_error>

namespace mfgtool {
namespace {

enum class LineKind {
    failure,             // the run failed, whatever file is at the list path
    listWriteFailure,    // a failure unless the list's drive or folder is missing
    missingProcessFile,  // explains a missing list; CD-ROM mode may lack one file
};

// Every line the library traces when something went wrong, by the text
// before its variable part (a path, a reason, an error number).  A line
// that only reports a value it cut or a character it could not hold is no
// failure: the list is the one its rules make.
struct TraceFailure {
    const char* marker;
    LineKind kind;
    const char* before;  // the reason is before + the variable part + after
    const char* after;
};

const TraceFailure kTraceFailures[] = {
    {"CANNOT READ MFGFILE = ", LineKind::failure, "the library could not read the process file ",
     "; it left the list file as it was"},
    {"CANNOT READ LIST FILE = ", LineKind::failure,
     "the library could not read the list file already at ", ""},
    {"LIST FILE LEFT AS IT WAS = ", LineKind::failure, "the library left the list file ",
     " as it was"},
    {"CANNOT WRITE LIST FILE = ", LineKind::listWriteFailure,
     "the library could not write the list file ", ""},
    {"LIST REQUEST FAILED", LineKind::failure, "the library's list request failed", ""},
    {"CANNOT CREATE THE LIST OBJECT", LineKind::failure, "the library could not start the list run",
     ""},
    {"RELEASING THE LIST RUN FAILED", LineKind::failure,
     "the library failed to release its list run", ""},
    {"GET OS VERSION ERROR ", LineKind::failure,
     "the library could not read the Windows version (error ", ") and listed the XP programs"},
    {"GET MODULE PATH ERROR", LineKind::failure,
     "the library could not find its own folder, so paths relative to it have none", ""},
    {"CANNOT OPEN MFGFILE = ", LineKind::missingProcessFile, "", ""},
};

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// "C:\LIST.INI (THE FILE IS READ-ONLY)" -> "C:\LIST.INI".
std::string pathBeforeReason(const std::string& text) {
    const std::size_t open = text.rfind(" (");
    return open == std::string::npos ? text : text.substr(0, open);
}

bool driveOrFolderMissing(const std::string& why) {
    return why.rfind("drive ", 0) == 0 || why.rfind("no folder ", 0) == 0;
}

}  // namespace

std::string whyMissing(const std::string& path, const NativePath& native, const char* what) {
    std::error_code ec;
    if (path.size() >= 2 && path[1] == ':' && !native(path.substr(0, 2) + "\\"))
        return "drive " + path.substr(0, 2) + " does not exist for the library (" + what + " " +
               path + ")";
    const std::string folder = folderOf(path);
    const std::optional<std::filesystem::path> nativeFolder = native(folder);
    if (!folder.empty() && (!nativeFolder || !std::filesystem::is_directory(*nativeFolder, ec)))
        return "no folder " + folder + " (" + what + " " + path + ")";
    return std::string("no ") + what + " " + path;
}

bool namesAProblem(const std::string& line) {
    for (const TraceFailure& failure : kTraceFailures)
        if (line.find(failure.marker) != std::string::npos) return true;
    return false;
}

std::optional<TracedProblem> problemFromTrace(const std::vector<std::string>& trace,
                                              const NativePath& native) {
    std::optional<TracedProblem> missing;
    for (const std::string& line : trace) {
        for (const TraceFailure& failure : kTraceFailures) {
            const std::size_t at = line.find(failure.marker);
            if (at == std::string::npos) continue;
            const std::string rest =
                line.substr(at + std::char_traits<char>::length(failure.marker));
            if (failure.kind == LineKind::missingProcessFile) {
                if (!missing) missing = TracedProblem{whyMissing(rest, native, "process file")};
                break;
            }
            if (failure.kind == LineKind::listWriteFailure) {
                const std::string why = whyMissing(pathBeforeReason(rest), native, "list file");
                if (driveOrFolderMissing(why)) {
                    if (!missing) missing = TracedProblem{why};
                    break;
                }
            }
            return TracedProblem{failure.before + rest + failure.after, true};
        }
    }
    return missing;
}

}  // namespace mfgtool
