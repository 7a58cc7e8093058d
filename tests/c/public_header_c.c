/* The public header compiled as C: what a C compiler makes of the constants
 * and the function types, for public_header_test.cpp to compare. */
#include "mfglist/mfglist.h"

int mfg_c_constants(int* values, int size);

int mfg_c_constants(int* values, int size) {
    const int constants[5] = {LIST_DRIVER, LIST_SOFTWARE, MFG_WIN_XP32, MFG_WIN_VISTA32,
                              MFG_WIN_VISTA64};
    MFG_CreateIniFile_t create = MFG_CreateIniFile;
    int i;
    if (create == 0 || size < 5) return 0;
    for (i = 0; i < 5; ++i) values[i] = constants[i];
    return 5;
}
