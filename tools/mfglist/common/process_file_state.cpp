#include "process_file_state.h"

#include <fstream>

#include "text_encoding.h"

namespace mfgtool {

namespace fs = std::filesystem;

namespace {

ProcessFileState stateOf(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status)) return ProcessFileState::missing;
    if (fs::is_directory(status)) return ProcessFileState::folder;
    if (!fs::is_regular_file(status)) return ProcessFileState::notRegular;
    std::ifstream in(path, std::ios::binary);
    char byte = 0;
    if (!in.is_open() || (!in.read(&byte, 1) && !in.eof())) return ProcessFileState::unreadable;
    return ProcessFileState::readable;
}

}  // namespace

FoundProcessFile findProcessFile(const fs::path& folder, const std::string& name) {
    const ProcessFileState exact = stateOf(folder / name);
    if (exact != ProcessFileState::missing) return {folder / name, exact};
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (lowerAscii(it->path().filename().string()) == lowerAscii(name))
            return {it->path(), stateOf(it->path())};
    }
    return {folder / name, ProcessFileState::missing};
}

std::optional<std::string> unusableProcessFileText(const FoundProcessFile& file,
                                                   const std::string& folderShown) {
    const std::string named = file.path.filename().string() + " in " + folderShown;
    switch (file.state) {
        case ProcessFileState::readable:
        case ProcessFileState::missing:
            return std::nullopt;
        case ProcessFileState::folder:
            return named + " is a folder, not a file: the library reads nothing from it";
        case ProcessFileState::notRegular:
            return named + " is not a regular file: the library reads nothing from it";
        case ProcessFileState::unreadable:
            return named +
                   " cannot be read (no permission, or a read error): the library "
                   "reads nothing from it";
    }
    return std::nullopt;
}

}  // namespace mfgtool
