#include "support/machine.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "support/file_bytes.h"

namespace fs = std::filesystem;

namespace mfg::test {

void writeFile(std::string_view windowsPath, std::string_view bytes) {
    std::ofstream out(hostPath(windowsPath), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(std::string_view windowsPath) {
    return readWholeFile(hostPath(windowsPath)).value_or(std::string());
}

bool fileExists(std::string_view windowsPath) {
    std::error_code ec;
    return fs::exists(hostPath(windowsPath), ec);
}

void removeFile(std::string_view windowsPath) {
    std::error_code ec;
    setReadOnly(windowsPath, false);
    fs::remove(hostPath(windowsPath), ec);
}

void makeFolder(std::string_view windowsPath) {
    std::error_code ec;
    fs::create_directories(hostPath(windowsPath), ec);
}

void removeTree(std::string_view windowsPath) { scratch::removeTree(hostPath(windowsPath)); }

void setReadOnly(std::string_view windowsPath, bool readOnly) {
    std::error_code ec;
    const fs::perms write =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (readOnly)
        fs::permissions(hostPath(windowsPath), write, fs::perm_options::remove, ec);
    else
        fs::permissions(hostPath(windowsPath), fs::perms::owner_write, fs::perm_options::add, ec);
}

ScratchFolder::ScratchFolder(std::string_view hint, ScratchPlace place) {
    static unsigned counter = 0;
    const std::string name = std::string(hint) + "-" + std::to_string(currentProcessId()) + "-" +
                             std::to_string(counter++);
    if (place == ScratchPlace::driveC) {
        path_ = "C:\\mfgtest\\" + name + "\\";
        host_ = test::hostPath(path_);
    } else {
        const fs::path host = fs::temp_directory_path() / ("mfgtest-" + name);
        host_ = (host / "").string();
        path_ = windowsPathOfHost(host.string()) + "\\";
    }
    scratch::removeTree(host_);
    std::error_code ec;
    fs::create_directories(host_, ec);
}

fs::path ScratchFolder::hostFolder() const { return withoutClosingSlash(host_); }

ScratchFolder::~ScratchFolder() { scratch::removeTree(host_); }

ScopedEnv::ScopedEnv(const char* name, std::optional<std::string> value)
    : name_(name), saved_(environment(name)) {
    setEnvironment(name_, value);
}

ScopedEnv::~ScopedEnv() { setEnvironment(name_, saved_); }

}  // namespace mfg::test
