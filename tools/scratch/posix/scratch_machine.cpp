#include "scratch/scratch_machine.h"

#include <stdlib.h>

#include <cerrno>

namespace fs = std::filesystem;

namespace mfg::scratch {

void setEnvironment(const std::string& name, const std::optional<std::string>& value) {
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
}

ScratchMachine::ScratchMachine(std::string_view name, std::string_view letters) {
    clearMachineVariables();
    // TMPDIR lets a suite put its machines on a memory file system, where
    // the list commit's syncs cost nothing.
    const std::optional<std::string> tmp = environment("TMPDIR");
    std::string pattern = (tmp && !tmp->empty() ? *tmp : std::string("/tmp")) + "/mfglist-" +
                          std::string(name) + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        problem_ = "cannot make the folder " + pattern + ": " +
                   std::error_code(errno, std::generic_category()).message();
        return;
    }
    root_ = pattern;
    const DriveFolders made = makeDriveFolders(root_, letters);
    if (made.error) {
        problem_ = "cannot make the folder " + made.failed.string() + ": " + made.error.message();
        return;
    }
    setEnvironment("MFGLIST_DRIVES", driveMapText(made.drives));
}

ScratchMachine::~ScratchMachine() {
    if (!root_.empty()) removeTree(root_);
}

std::string ScratchMachine::folder(char letter) const {
    return driveFolder(root_, letter).string();
}

std::string ScratchMachine::native(std::string_view windowsPath) const {
    std::string path = folder(windowsPath.empty() ? 'C' : windowsPath[0]);
    const std::string_view rest = windowsPath.size() > 2 ? windowsPath.substr(2) : "";
    for (const char ch : rest) path += ch == '\\' ? '/' : ch;
    return path;
}

}  // namespace mfg::scratch
