// The test program's main.  On the POSIX build every test process gets a
// machine of its own: drives C: and D: mapped into a fresh temporary folder,
// and none of the developer's MFGLIST_ variables, so tests neither see nor
// touch anything else.  Under Wine the prefix made by the test script plays
// that part.
#include <gtest/gtest.h>

#include "support/machine.h"
#include "support/test_machine.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    mfg::test::TestMachine machine;
    return RUN_ALL_TESTS();
}
