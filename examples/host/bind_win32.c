/* Loaded at run time, as the factory host does: LoadLibraryA finds
 * mfglist.dll beside the program (or on the PATH), GetProcAddress each of the
 * three functions by its plain name.  Nothing of the library is linked. */
#include <stdio.h>
#include <windows.h>

#include "bind.h"

int bindMfglist(struct mfglist_functions* functions) {
    HMODULE library = LoadLibraryA("mfglist.dll");
    if (!library) {
        fprintf(stderr, "cannot load mfglist.dll (error %lu)\n", GetLastError());
        return 0;
    }
    /* A FARPROC becomes the function's own type through a cast, as usual. */
    functions->initMfgList = (MFG_InitMfgList_t)GetProcAddress(library, "MFG_InitMfgList");
    functions->createIniFile = (MFG_CreateIniFile_t)GetProcAddress(library, "MFG_CreateIniFile");
    functions->createAllSoftIniFile =
        (MFG_CreateAllSoftIniFile_t)GetProcAddress(library, "MFG_CreateAllSoftIniFile");
    if (!functions->initMfgList || !functions->createIniFile || !functions->createAllSoftIniFile) {
        fprintf(stderr, "mfglist.dll lacks one of the three functions: not the right DLL\n");
        return 0;
    }
    /* The library stays loaded until the program ends, as in the factory host. */
    return 1;
}
