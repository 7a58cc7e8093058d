// OS detection on the POSIX machine, whose release comes from MFGLIST_WINVER
// (tests/windows/ holds the same test against Wine prefixes).
#include <gtest/gtest.h>

#include "api/current_list.h"
#include "listjob/mfg_list.h"
#include "support/list_run.h"

namespace mfg::test {
namespace {

TEST(OsVersionOnThisMachine, OnlyAVistaWorkstationIsVista) {
    const struct {
        const char* release;
        int variant;
        const char* traced;
    } cases[] = {
        {"5.1", MFG_WIN_XP32, "OSVERSION = WIN_XP32"},
        {"6.0", MFG_WIN_VISTA32, "OSVERSION = WIN_VISTA32"},
        {"6.0:server", MFG_WIN_XP32, "OSVERSION = WIN_XP32"},
        {"6.1", MFG_WIN_XP32, "OSVERSION = WIN_XP32"},
        {"six", MFG_WIN_XP32, "== GET OS VERSION ERROR 87"},
    };
    for (const auto& c : cases) {
        test::ScopedEnv release("MFGLIST_WINVER", c.release);
        test::TraceCapture trace;
        MFG_InitMfgList(MFG_LIST_DRIVER, "", 0);
        ASSERT_NE(currentList(), nullptr);
        EXPECT_EQ(currentList()->startUp.osVariant, c.variant) << c.release;
        EXPECT_EQ(trace.lines(), (std::vector<std::string>{"===== COMMAND = ", c.traced}));
        test::endListRun();
    }
}

}  // namespace
}  // namespace mfg::test
