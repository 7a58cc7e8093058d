#include "platform/fault_plan.h"

#include <cerrno>

#include "platform/win32/file_calls.h"

namespace mfg::platform::testing {
namespace {

using win32::fileCalls;
using win32::systemFileCalls;

// The system error a Windows call fails with for an errno value of a test.
DWORD systemErrorOf(int error) {
    switch (error) {
        case EIO:
            return ERROR_READ_FAULT;
        case ENOSPC:
            return ERROR_DISK_FULL;
        case EXDEV:
            return ERROR_NOT_SAME_DEVICE;
        case EACCES:
            return ERROR_ACCESS_DENIED;
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        default:
            return ERROR_GEN_FAILURE;
    }
}

// True when this call is the one to fail; the last error is then set.
bool failNow(FileCallKind kind) {
    if (!callFails(kind)) return false;
    SetLastError(systemErrorOf(plannedError()));
    return true;
}

HANDLE WINAPI faultyCreateFile(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                               DWORD disposition, DWORD flags, HANDLE model) {
    return failNow(kOpenCall)
               ? INVALID_HANDLE_VALUE
               : systemFileCalls.createFile(name, access, share, sa, disposition, flags, model);
}
UINT WINAPI faultyGetTempFileName(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR name) {
    return failNow(kOpenCall) ? 0 : systemFileCalls.getTempFileName(folder, prefix, unique, name);
}
BOOL WINAPI faultyReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED o) {
    if (!failNow(kReadCall)) return systemFileCalls.readFile(file, buffer, size, got, o);
    if (got) *got = 0;
    return FALSE;
}
BOOL WINAPI faultyWriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD put, LPOVERLAPPED o) {
    if (!failNow(kWriteCall)) return systemFileCalls.writeFile(file, buffer, size, put, o);
    if (put) *put = 0;
    return FALSE;
}
BOOL WINAPI faultyFlushFileBuffers(HANDLE file) {
    return failNow(kFlushCall) ? FALSE : systemFileCalls.flushFileBuffers(file);
}
BOOL WINAPI faultyMoveFileEx(LPCSTR from, LPCSTR to, DWORD flags) {
    return failNow(kRenameCall) ? FALSE : systemFileCalls.moveFileEx(from, to, flags);
}
// A failing close still releases the handle, as CloseHandle does when it
// reports an error.
BOOL WINAPI faultyCloseHandle(HANDLE file) {
    if (!failNow(kCloseCall)) return systemFileCalls.closeHandle(file);
    const DWORD error = GetLastError();
    systemFileCalls.closeHandle(file);
    SetLastError(error);
    return FALSE;
}
DWORD WINAPI faultyGetFileAttributes(LPCSTR name) {
    return failNow(kStatCall) ? INVALID_FILE_ATTRIBUTES : systemFileCalls.getFileAttributes(name);
}
HANDLE WINAPI faultyFindFirstFile(LPCSTR name, LPWIN32_FIND_DATAA data) {
    return failNow(kStatCall) ? INVALID_HANDLE_VALUE : systemFileCalls.findFirstFile(name, data);
}
BOOL WINAPI faultyDeleteFile(LPCSTR name) {
    return failNow(kUnlinkCall) ? FALSE : systemFileCalls.deleteFile(name);
}

}  // namespace

void installFaultyFileCalls() {
    fileCalls = {faultyCreateFile,  faultyGetTempFileName,   faultyReadFile,
                 faultyWriteFile,   faultyFlushFileBuffers,  faultyMoveFileEx,
                 faultyCloseHandle, faultyGetFileAttributes, faultyFindFirstFile,
                 faultyDeleteFile};
}

void restoreSystemFileCalls() { fileCalls = systemFileCalls; }

}  // namespace mfg::platform::testing
