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
enum { MFG_LIST_DRIVER = 0, MFG_LIST_SOFTWARE = 1 };

/* OS variants: which executable path of an entry goes into the list. */
enum { MFG_WIN_XP32 = 0, MFG_WIN_VISTA32 = 1, MFG_WIN_VISTA64 = 2 };

/* The names hosts were written with.  A host whose own names collide with
 * them defines MFGLIST_NO_SHORT_NAMES before including this header. */
#ifndef MFGLIST_NO_SHORT_NAMES
enum { LIST_DRIVER = MFG_LIST_DRIVER, LIST_SOFTWARE = MFG_LIST_SOFTWARE };
enum { WIN_XP32 = MFG_WIN_XP32, WIN_VISTA32 = MFG_WIN_VISTA32, WIN_VISTA64 = MFG_WIN_VISTA64 };
#endif

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
