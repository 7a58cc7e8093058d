// The tool's test program.  The developer's own MFGLIST_ variables would
// change the machine the library sees, so no test inherits them, nor the
// terminal's COLUMNS; and the outputs name no device from this system's ID
// databases unless a test asks for them with --id-names.
#include <gtest/gtest.h>

#include "support/tool/run_tool.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    mfg::scratch::clearMachineVariables();
    mfgtool::test::setEnvironment("COLUMNS", std::nullopt);
    mfgtool::test::setEnvironment("MFGLIST_ID_NAMES", "");
    return RUN_ALL_TESTS();
}
