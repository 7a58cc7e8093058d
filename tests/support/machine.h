// What the tests need of the machine the library runs on: files at Windows
// paths, scratch folders on drive C:, and the environment of the POSIX
// machine.  The same tests run natively (drives mapped into a temporary
// folder by the test program's main) and under Wine (a prefix whose C: and
// D: live in a temporary folder).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "scratch/scratch_machine.h"

namespace mfg::test {

// The path the test program's own file functions use for a Windows path.
std::string hostPath(std::string_view windowsPath);

void writeFile(std::string_view windowsPath, std::string_view bytes);
std::string readFile(std::string_view windowsPath);  // "" when missing
bool fileExists(std::string_view windowsPath);
void removeFile(std::string_view windowsPath);
void makeFolder(std::string_view windowsPath);
void removeTree(std::string_view windowsPath);
void setReadOnly(std::string_view windowsPath, bool readOnly);

// Where a scratch folder is made.
enum class ScratchPlace {
    // C:\mfgtest\ on the test machine, where the library finds it by the
    // Windows path the test hands it.
    driveC,
    // The host's temporary folder, for a test program that lays out no test
    // machine and hands native paths to the programs it starts (the tool's
    // tests), and for the streams of a child.
    hostTemp,
};

// The tests' one scratch folder: a fresh folder for one test, removed with
// everything in it when the test ends, whatever drive map is in force by
// then.  `path()` is its Windows path and ends in a backslash; `hostPath()`
// is where the test program's own file functions find it, for tests that
// build a machine of their own below it, and `hostFolder()` the same as a
// native path without the closing separator.
class ScratchFolder {
public:
    explicit ScratchFolder(std::string_view hint = "t", ScratchPlace place = ScratchPlace::driveC);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    const std::string& hostPath() const { return host_; }
    std::filesystem::path hostFolder() const;
    std::string operator/(std::string_view name) const { return path_ + std::string(name); }

private:
    std::string path_;
    std::string host_;
};

// The machine variables and the environment come from the scratch machine's
// home, for both test programs; ScopedEnv changes a variable for the life of
// an object (nullopt removes it).
using scratch::environment;
using scratch::setEnvironment;

class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> saved_;
};

// A host path without the separator that closes a folder's path.
inline std::string withoutClosingSlash(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    return path;
}

// Folder holding the test program (helpers live beside it).
std::string programFolder();

// Per-platform pieces behind the helpers above.
unsigned currentProcessId();
std::string windowsPathOfHost(const std::string& hostPath);

}  // namespace mfg::test
