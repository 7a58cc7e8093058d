#include "support/test_machine.h"

#include <stdlib.h>

#include "support/machine.h"

#include <filesystem>
#include <system_error>

namespace mfg::test {

TestMachine::TestMachine() {
    for (const char* name : kMachineVariables) setEnvironment(name, std::nullopt);
    // TMPDIR lets the suite put its machines on a memory file system, where
    // the list commit's syncs cost nothing.
    const char* tmp = ::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/mfglist-test-XXXXXX";
    const char* made = ::mkdtemp(pattern.data());
    if (!made) return;
    root_ = made;
    std::filesystem::create_directories(root_ + "/c");
    std::filesystem::create_directories(root_ + "/d");
    const std::string drives = "C=" + root_ + "/c;D=" + root_ + "/d";
    setEnvironment("MFGLIST_DRIVES", drives);
}

TestMachine::~TestMachine() {
    if (root_.empty()) return;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root_, ec);
         !ec && it != std::filesystem::end(it); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(root_, ec);
}

}  // namespace mfg::test
