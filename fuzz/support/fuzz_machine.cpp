#include "support/fuzz_machine.h"

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

FuzzMachine::FuzzMachine() : machine_("fuzz", kDrives) {
    if (!machine_.problem().empty()) fail("the fuzz machine is missing", machine_.problem());
}

std::string FuzzMachine::folder(char drive) const { return machine_.folder(drive); }

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
