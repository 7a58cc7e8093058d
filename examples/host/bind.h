/* The three functions of the library, however the host reached them. */
#ifndef SAMPLE_HOST_BIND_H
#define SAMPLE_HOST_BIND_H

#include <mfglist/mfglist.h>

struct mfglist_functions {
    MFG_InitMfgList_t initMfgList;
    MFG_CreateIniFile_t createIniFile;
    MFG_CreateAllSoftIniFile_t createAllSoftIniFile;
};

/* Fills `functions` and returns 1; prints why and returns 0 when the library
 * or one of its functions cannot be found. */
int bindMfglist(struct mfglist_functions* functions);

#endif
