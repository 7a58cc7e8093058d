// The tool's test program.  The developer's own MFGLIST_ variables would
// change the machine the library sees, so no test inherits them.
#include <gtest/gtest.h>

#include "tool_support.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (const char* name : {"MFGLIST_DRIVES", "MFGLIST_SYSTEM_DIR", "MFGLIST_WINVER",
                             "MFGLIST_CODEPAGE", "MFGLIST_DEBUG_OUTPUT", "COLUMNS"})
        mfgtest::setEnvironment(name, std::nullopt);
    return RUN_ALL_TESTS();
}
