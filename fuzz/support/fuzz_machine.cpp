#include "support/fuzz_machine.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/posix/machine.h"
#include "support/file_bytes.h"
#include "support/fuzz_input.h"
#include "trace/trace_log.h"

namespace fs = std::filesystem;

namespace mfg::fuzz {

namespace {
constexpr char kDrives[] = "CDLP";
}

FuzzMachine& FuzzMachine::get() {
    static FuzzMachine machine;
    return machine;
}

FuzzMachine::FuzzMachine() {
    for (const char* name : {"MFGLIST_DRIVES", "MFGLIST_SYSTEM_DIR", "MFGLIST_WINVER",
                             "MFGLIST_CODEPAGE", "MFGLIST_DEBUG_OUTPUT"})
        ::unsetenv(name);
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/mfglist-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) fail("cannot make the fuzz machine's folder", pattern);
    root_ = pattern;
    std::string drives;
    for (const char* d = kDrives; *d; ++d) {
        fs::create_directories(folder(*d));
        drives += std::string(drives.empty() ? "" : ";") + *d + "=" + folder(*d);
    }
    ::setenv("MFGLIST_DRIVES", drives.c_str(), 1);
}

FuzzMachine::~FuzzMachine() {
    std::error_code ec;
    fs::remove_all(root_, ec);
}

std::string FuzzMachine::folder(char drive) const {
    return root_ + "/" + static_cast<char>(drive | 0x20);
}

void FuzzMachine::writeFile(char drive, std::string_view name, std::string_view bytes) const {
    std::ofstream out(folder(drive) + "/" + std::string(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string FuzzMachine::readFile(char drive, std::string_view name) const {
    return mfg::test::readWholeFile(folder(drive) + "/" + std::string(name))
        .value_or(std::string());
}

bool FuzzMachine::exists(char drive, std::string_view name) const {
    std::error_code ec;
    return fs::exists(folder(drive) + "/" + std::string(name), ec);
}

std::vector<std::string> FuzzMachine::names(char drive) const {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder(drive), ec))
        out.push_back(entry.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

void FuzzMachine::clear(char drive) const {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder(drive), ec)) {
        std::error_code each;
        fs::remove_all(entry.path(), each);
    }
}

void FuzzMachine::trace(bool on) const {
    const auto flag = platform::posix::resolvePath(kDebugFlagFile);
    const auto log = platform::posix::resolvePath(kTraceLogFile);
    if (!flag || !log) fail("the fuzz machine lacks the trace's drives");
    std::error_code ec;
    fs::remove(*log, ec);
    if (on)
        std::ofstream(*flag, std::ios::trunc);
    else
        fs::remove(*flag, ec);
}

}  // namespace mfg::fuzz
