/* Loaded at run time on Linux: dlopen finds the library by its SONAME,
 * libmfglist.so.0 (the major version this host is written for), on the
 * loader's path (/usr/lib, or LD_LIBRARY_PATH); dlsym looks up each function
 * by its plain name.  Link with -ldl on C libraries older than glibc 2.34. */
#include <dlfcn.h>
#include <stdio.h>

#include "bind.h"

int bindMfglist(struct mfglist_functions* functions) {
    void* library = dlopen("libmfglist.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "cannot load libmfglist.so.0: %s\n", dlerror());
        return 0;
    }
    /* dlsym returns a data pointer, which POSIX lets a function pointer
     * hold; storing it through a void** (the idiom of dlsym's manual) says so
     * without the cast that ISO C warns about. */
    *(void**)&functions->initMfgList = dlsym(library, "MFG_InitMfgList");
    *(void**)&functions->createIniFile = dlsym(library, "MFG_CreateIniFile");
    *(void**)&functions->createAllSoftIniFile = dlsym(library, "MFG_CreateAllSoftIniFile");
    if (!functions->initMfgList || !functions->createIniFile || !functions->createAllSoftIniFile) {
        fprintf(stderr,
                "libmfglist.so.0 lacks one of the three functions: not the right library\n");
        return 0;
    }
    return 1;
}
