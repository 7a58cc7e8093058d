// The KERNEL32 file calls the platform layer makes, gathered in one table so
// that a test can put a failing call in place of a real one (see
// fault_injection.h), as on the POSIX build.  The calls in force start out
// as small functions that call KERNEL32 by name, never as addresses taken
// from the import table when the library loads: a host that re-points the
// library's imports after loading it (mfglist's scratch machine does) must
// still be the one answering.
#pragma once

#include <windows.h>

namespace mfg::platform::win32 {

struct FileCalls {
    HANDLE(WINAPI* createFile)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    UINT(WINAPI* getTempFileName)(LPCSTR, LPCSTR, UINT, LPSTR);
    BOOL(WINAPI* readFile)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
    BOOL(WINAPI* writeFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
    BOOL(WINAPI* flushFileBuffers)(HANDLE);
    BOOL(WINAPI* moveFileEx)(LPCSTR, LPCSTR, DWORD);
    BOOL(WINAPI* closeHandle)(HANDLE);
    DWORD(WINAPI* getFileAttributes)(LPCSTR);
    HANDLE(WINAPI* findFirstFile)(LPCSTR, LPWIN32_FIND_DATAA);
    BOOL(WINAPI* deleteFile)(LPCSTR);
};

// The calls in force.
extern FileCalls fileCalls;
// KERNEL32's own calls, for a test to wrap and to put back.
extern const FileCalls systemFileCalls;

}  // namespace mfg::platform::win32
