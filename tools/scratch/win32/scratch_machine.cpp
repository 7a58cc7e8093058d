#include "scratch/scratch_machine.h"

#include <windows.h>

#include <cstdlib>

namespace mfg::scratch {

void setEnvironment(const std::string& name, const std::optional<std::string>& value) {
    // Both the process's block (child processes) and the C run time's copy
    // (getenv).
    SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
    _putenv((name + "=" + (value ? *value : std::string())).c_str());
}

// The library reads the real drives and version; there is nothing to enter.
ScratchMachine::ScratchMachine(std::string_view, std::string_view letters) {
    for (const char letter : letters) CreateDirectoryA(folder(letter).c_str(), nullptr);
}

ScratchMachine::~ScratchMachine() = default;

std::string ScratchMachine::folder(char letter) const { return std::string(1, letter) + ":\\"; }

std::string ScratchMachine::native(std::string_view windowsPath) const {
    return std::string(windowsPath);
}

}  // namespace mfg::scratch
