#include "scratch/scratch_machine.h"

#include <cstdlib>

namespace fs = std::filesystem;

namespace mfg::scratch {

std::optional<std::string> environment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void clearMachineVariables() {
    for (const char* name : kMachineVariables) setEnvironment(name, std::nullopt);
}

fs::path driveFolder(const fs::path& root, char letter) {
    const char lower =
        letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
    return root / std::string(1, lower);
}

std::string driveMapText(const DriveMap& drives) {
    std::string map;
    for (const auto& [letter, folder] : drives) {
        if (!map.empty()) map += ';';
        map += std::string(1, letter) + "=" + folder.string();
    }
    return map;
}

DriveFolders makeDriveFolders(const fs::path& root, std::string_view letters) {
    DriveFolders made;
    for (const char letter : letters) {
        const fs::path folder = driveFolder(root, letter);
        // Never `root` itself: the tool's run folder may have been removed
        // by a stopped run, and must not come back.
        fs::create_directory(folder, made.error);
        if (made.error) {
            made.failed = folder;
            break;
        }
        const char upper =
            letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
        made.drives[upper] = folder;
    }
    return made;
}

void removeTree(const fs::path& path) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(path, ec); !ec && it != fs::end(it);
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path, ec);
}

}  // namespace mfg::scratch
