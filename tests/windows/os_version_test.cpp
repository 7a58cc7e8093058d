// OS detection against the real version query.  The test command runs this
// in Wine prefixes set to a release and names the variant to expect.
#include <gtest/gtest.h>

#include "api/current_list.h"
#include "listjob/mfg_list.h"
#include "support/list_run.h"

namespace mfg::test {
namespace {

TEST(OsVersionOnThisMachine, ReleaseOfThePrefix) {
    const std::string expected = test::environment("MFGLIST_EXPECT_OSVERSION").value_or("");
    if (expected.empty()) GTEST_SKIP() << "MFGLIST_EXPECT_OSVERSION not set";
    ASSERT_TRUE(expected == "WIN_XP32" || expected == "WIN_VISTA32") << expected;
    test::TraceCapture trace;
    MFG_InitMfgList(MFG_LIST_DRIVER, "", 0);
    ASSERT_NE(currentList(), nullptr);
    EXPECT_EQ(currentList()->startUp.osVariant,
              expected == "WIN_XP32" ? MFG_WIN_XP32 : MFG_WIN_VISTA32);
    EXPECT_EQ(trace.lines(),
              (std::vector<std::string>{"===== COMMAND = ", "OSVERSION = " + expected}));
    test::endListRun();
}

}  // namespace
}  // namespace mfg::test
