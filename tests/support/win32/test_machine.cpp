#include "support/test_machine.h"

#include <windows.h>

namespace mfg::test {

// The Wine prefix of the test script maps C: and D: into its own temporary
// folder; only D:'s root may be missing in a prefix made by hand.
TestMachine::TestMachine() { CreateDirectoryA("D:\\", nullptr); }

TestMachine::~TestMachine() = default;

}  // namespace mfg::test
