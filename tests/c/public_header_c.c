/* The public header compiled as C: what a C compiler makes of the key-name
 * table and the function types, for public_header_test.cpp to compare. */
#include "mfglist/mfglist.h"

const char* mfg_c_key_table(unsigned long* size, int* count);

const char* mfg_c_key_table(unsigned long* size, int* count) {
    MFG_CreateIniFile_t create = MFG_CreateIniFile;
    *size = (unsigned long)sizeof MFG_KEY_NAMES;
    *count = create != 0 ? MFGKEY_COUNT : 0;
    return MFG_KEY_NAMES[0];
}
