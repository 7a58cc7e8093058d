// The public header serves C hosts as it serves C++ ones, and hosts written
// with the short names of the list kinds and OS variants still build.
#include <gtest/gtest.h>

#include <vector>

#include "mfglist/mfglist.h"

extern "C" int mfg_c_constants(int* values, int size);

namespace {

TEST(PublicHeader, SameConstantsInCAndCpp) {
    int fromC[5] = {};
    ASSERT_EQ(mfg_c_constants(fromC, 5), 5);
    const int here[5] = {MFG_LIST_DRIVER, MFG_LIST_SOFTWARE, MFG_WIN_XP32, MFG_WIN_VISTA32,
                         MFG_WIN_VISTA64};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(fromC[i], here[i]) << i;
    const int shortNames[5] = {LIST_DRIVER, LIST_SOFTWARE, WIN_XP32, WIN_VISTA32, WIN_VISTA64};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(shortNames[i], here[i]) << i;
    EXPECT_EQ((std::vector<int>(here, here + 5)), (std::vector<int>{0, 1, 0, 1, 2}));
}

}  // namespace
