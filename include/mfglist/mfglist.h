/* mfglist: the install-list library of the factory driver installer.
 *
 * A host loads the library, calls MFG_InitMfgList once with its own command
 * line, then exactly one of MFG_CreateIniFile or MFG_CreateAllSoftIniFile,
 * which writes the install list file and ends the list run.  Every function
 * returns 1; the outcome is the list file and the trace log. */
#ifndef MFGLIST_MFGLIST_H
#define MFGLIST_MFGLIST_H

#if defined(_WIN32)
#define MFGLIST_CALL __cdecl
#else
#define MFGLIST_CALL
#endif

#if defined(MFGLIST_BUILDING_LIBRARY) && !defined(_WIN32)
#define MFGLIST_EXPORT __attribute__((visibility("default")))
#else
#define MFGLIST_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* List kinds: the first argument of MFG_InitMfgList. */
enum { LIST_DRIVER = 0, LIST_SOFTWARE = 1 };

/* OS variants: which executable path of an entry goes into the list. */
enum { WIN_XP32 = 0, WIN_VISTA32 = 1, WIN_VISTA64 = 2 };

/* The names of every INI key the library reads or writes and of the path
 * macros, each in a fixed slot of MFG_KEY_NAME_SIZE characters, indexed by
 * the MFGKEY_ values below.  One table so that a key is spelled in one place
 * only.  It lives inside the library and is not exported: the library's own
 * C and C++ code reads it. */
enum {
    MFGKEY_LOG_FILE,
    MFGKEY_HOTKEY,
    MFGKEY_DEBUG,
    MFGKEY_LANGUAGEID,
    MFGKEY_RUN_BEGINTEST,
    MFGKEY_RUN_ENDTEST,
    MFGKEY_GROUP,
    MFGKEY_NAME,
    MFGKEY_ID,
    MFGKEY_DESCRIPTION,
    MFGKEY_HARDID,
    MFGKEY_EXEPATH,
    MFGKEY_EXEPATHVISTA32,
    MFGKEY_EXEPATHVISTA64,
    MFGKEY_PACKETNAME,
    MFGKEY_TYPE,
    MFGKEY_TIMEOUT,
    MFGKEY_REBOOT_COUNT,
    MFGKEY_FIRST_TIMEOUT,
    MFGKEY_FIRST_REBOOT_COUNT,
    MFGKEY_RESULTVALUE,
    MFGKEY_VERSION,
    MFGKEY_COMMANDLINE,
    MFGKEY_LOGFILE, /* an entry's log file; MFGKEY_LOG_FILE is the list's own */
    MFGKEY_PACKETPATH,
    MFGKEY_SELECTPATH,
    MFGKEY_MACRO_TESTDIR,
    MFGKEY_MACRO_MFGPROCPATH,
    MFGKEY_MACRO_SECTORNAME,
    MFGKEY_MACRO_PACKETNAME,
    MFGKEY_MACRO_WINDIR,
    MFGKEY_COUNT
};
enum { MFG_KEY_NAME_SIZE = 200 };
extern const char MFG_KEY_NAMES[MFGKEY_COUNT][MFG_KEY_NAME_SIZE];

MFGLIST_EXPORT int MFGLIST_CALL MFG_InitMfgList(int listKind, const char* commandLine,
                                                int driveNumber);
MFGLIST_EXPORT int MFGLIST_CALL MFG_CreateIniFile(int idCount, const char* const* ids,
                                                  const char* outputPath);
MFGLIST_EXPORT int MFGLIST_CALL MFG_CreateAllSoftIniFile(const char* outputPath);

/* Function pointer types, for hosts that load the library at run time. */
typedef int(MFGLIST_CALL* MFG_InitMfgList_t)(int, const char*, int);
typedef int(MFGLIST_CALL* MFG_CreateIniFile_t)(int, const char* const*, const char*);
typedef int(MFGLIST_CALL* MFG_CreateAllSoftIniFile_t)(const char*);

#ifdef __cplusplus
}
#endif

#endif
