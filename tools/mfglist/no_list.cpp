#include "no_list.h"

#include <system_error>

namespace mfgtool {
namespace {

const std::string kCannotOpen = "CANNOT OPEN MFGFILE = ";
const std::string kCannotWrite = "CANNOT WRITE LIST FILE = ";

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
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

std::optional<std::string> reasonFromTrace(const std::vector<std::string>& trace,
                                           const NativePath& native) {
    for (const std::string& line : trace) {
        std::size_t at = line.find(kCannotOpen);
        if (at != std::string::npos)
            return whyMissing(line.substr(at + kCannotOpen.size()), native, "process file");
        at = line.find(kCannotWrite);
        if (at != std::string::npos) return "the library could not write the list file " +
                   line.substr(at + kCannotWrite.size());
    }
    return std::nullopt;
}

}  // namespace mfgtool
