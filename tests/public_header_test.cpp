// The key-name table is indexed by every reader and writer, from C as from
// C++: its slots and the places of the names that look alike must hold.
#include <gtest/gtest.h>

#include "mfglist/mfglist.h"

extern "C" const char* mfg_c_key_table(unsigned long* size, int* count);

namespace {

TEST(KeyNames, SameFixedSlotTableInCAndCpp) {
    unsigned long size = 0;
    int count = 0;
    EXPECT_EQ(mfg_c_key_table(&size, &count), MFG_KEY_NAMES[0]);
    EXPECT_EQ(size, 31u * 200u);
    EXPECT_EQ(count, 31);
    const struct {
        int index;
        const char* name;
    } anchors[] = {{MFGKEY_LOG_FILE, "LOG_FILE"},     {MFGKEY_LOGFILE, "LOGFILE"},
                   {MFGKEY_PACKETNAME, "PACKETNAME"}, {MFGKEY_MACRO_PACKETNAME, "$PACKETNAME"},
                   {MFGKEY_SELECTPATH, "SELECTPATH"}, {MFGKEY_MACRO_WINDIR, "WINDIR"}};
    for (const auto& a : anchors) EXPECT_STREQ(MFG_KEY_NAMES[a.index], a.name);
}

}  // namespace
