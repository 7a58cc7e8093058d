/* Linked through the import library: mfglist.lib (Microsoft's linker),
 * libmfglist.dll.a (mingw) or -lmfglist (Linux).  The system's loader finds
 * the library when the program starts (on Windows mfglist.dll beside the
 * program or on the PATH) and refuses to start the program without it. */
#include "bind.h"

int bindMfglist(struct mfglist_functions* functions) {
    functions->initMfgList = MFG_InitMfgList;
    functions->createIniFile = MFG_CreateIniFile;
    functions->createAllSoftIniFile = MFG_CreateAllSoftIniFile;
    return 1;
}
