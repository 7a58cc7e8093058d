// Running the built `mfglist` as a process, the way a user or a script does,
// with its standard streams captured (the tests' process support).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/machine.h"
#include "support/process.h"

namespace mfgtool::test {

namespace fs = std::filesystem;

using mfg::test::environment;
using mfg::test::ScratchFolder;
using mfg::test::ScratchPlace;
using mfg::test::setEnvironment;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

using EnvChanges = mfg::test::EnvironmentChanges;

// The built files, as the test program reaches them.
fs::path toolFile();
fs::path libraryFile();
fs::path recordingLibraryFile();
fs::path partialLibraryFile();
fs::path examplesFolder();

// Runs the tool with `args`, the environment changed by `env` for the child
// only, and `input` on its standard input.
Outcome runTool(const std::vector<std::string>& args, const EnvChanges& env = {},
                const std::string& input = {});

std::string readText(const fs::path& file);  // "" when missing
void writeText(const fs::path& file, const std::string& text);
std::vector<std::string> lines(const std::string& text);

// ---- per platform ----------------------------------------------------------

// How `preview` names the process-file folder on the command line it builds.
std::string previewFolderForLibrary(const fs::path& folder);

// A machine for direct and `host` calls with every path under `root`: the
// drive map for the library (none on Windows, where paths are real) and the
// name under which the library reaches a native path below `root`.
std::optional<std::string> hostDrives(const fs::path& root);
std::string hostPathForLibrary(const fs::path& native, const fs::path& root);

// The library's fixed debug flag and trace log as the user's own machine has
// them, and what the tool's environment needs for that.
struct UserTraceFiles {
    fs::path flag;
    fs::path log;
    EnvChanges env;
};
UserTraceFiles userTraceFiles(const fs::path& root);

}  // namespace mfgtool::test
