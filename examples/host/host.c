/* A sample factory host: the smallest program that makes an install list
 * with mfglist.  Start reading here.
 *
 *   sample_host COMMAND_LINE LIST_PATH [ID ...]        a driver list
 *   sample_host --all-software COMMAND_LINE LIST_PATH  every software entry
 *
 * COMMAND_LINE is the host's own command line as the library reads it
 * ("SETUP.EXE -P C:\PROC -T PRELOAD": -P the process files' folder, -T the
 * group), LIST_PATH the list file to write and the IDs the machine's hardware
 * IDs, all as Windows paths and text in the system's ANSI code page.
 *
 * How the program reaches the three functions is the only thing that differs
 * between the ways a host is built, so it is in a file of its own (bind.h):
 * bind_linked.c links them through the import library, bind_win32.c and
 * bind_posix.c load the library at run time, as the factory host does. */
#include <stdio.h>
#include <string.h>

#include "bind.h"

int main(int argc, char** argv) {
    struct mfglist_functions library;
    int allSoftware = argc > 1 && strcmp(argv[1], "--all-software") == 0;
    char** args = argv + 1 + allSoftware;
    int argCount = argc - 1 - allSoftware;
    if (argCount < 2 || (allSoftware && argCount > 2)) {
        fprintf(stderr,
                "usage: %s COMMAND_LINE LIST_PATH [ID ...]\n"
                "       %s --all-software COMMAND_LINE LIST_PATH\n",
                argv[0], argv[0]);
        return 2;
    }
    if (!bindMfglist(&library)) return 3; /* it said why */

    /* Once per run: the list kind, the host's command line and the drive
     * number (0 lets the command line decide). */
    library.initMfgList(allSoftware ? MFG_LIST_SOFTWARE : MFG_LIST_DRIVER, args[0], 0);

    /* Then exactly one create call: it writes the list and ends the run.
     * Each returns 1 whatever happens; the list file is the outcome, and
     * with C:\vrelDebug.flg present the trace D:\ombrix_drvinst.log says
     * why an entry is in it or not. */
    if (allSoftware)
        library.createAllSoftIniFile(args[1]);
    else
        library.createIniFile(argCount - 2, (const char* const*)(args + 2), args[1]);

    /* The factory host now reads the list and runs its entries in order. */
    printf("install list: %s\n", args[1]);
    return 0;
}
