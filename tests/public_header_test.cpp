// The public header serves C hosts as it serves C++ ones, and hosts written
// with the short names of the list kinds and OS variants still build.
#include <gtest/gtest.h>

#include <vector>

#include "mfglist/mfglist.h"

extern "C" int mfg_c_constants(int* values, int size);

namespace mfg::test {
namespace {

// The values hosts were built with, whether their compiler read the header as
// C or as C++, under the prefixed names and the short ones.
TEST(PublicHeader, ConstantsHostsWereBuiltWith) {
    const std::vector<int> built{0, 1, 0, 1, 2};
    int fromC[5] = {};
    ASSERT_EQ(mfg_c_constants(fromC, 5), 5);
    EXPECT_EQ(std::vector<int>(fromC, fromC + 5), built);
    EXPECT_EQ((std::vector<int>{MFG_LIST_DRIVER, MFG_LIST_SOFTWARE, MFG_WIN_XP32, MFG_WIN_VISTA32,
                                MFG_WIN_VISTA64}),
              built);
    EXPECT_EQ((std::vector<int>{LIST_DRIVER, LIST_SOFTWARE, WIN_XP32, WIN_VISTA32, WIN_VISTA64}),
              built);
}

}  // namespace
}  // namespace mfg::test
