#include "platform/fault_plan.h"

#include <cerrno>

#include "platform/posix/file_calls.h"

namespace mfg::platform::testing {
namespace {

using posix::fileCalls;
using posix::systemFileCalls;

// True when this call is the one to fail; errno is then set.
bool failNow(FileCallKind kind) {
    if (!callFails(kind)) return false;
    errno = plannedError();
    return true;
}

int faultyOpen(const char* path, int flags, mode_t mode) {
    return failNow(kOpenCall) ? -1 : systemFileCalls.open(path, flags, mode);
}
ssize_t faultyRead(int fd, void* buffer, size_t size) {
    return failNow(kReadCall) ? -1 : systemFileCalls.read(fd, buffer, size);
}
ssize_t faultyWrite(int fd, const void* buffer, size_t size) {
    return failNow(kWriteCall) ? -1 : systemFileCalls.write(fd, buffer, size);
}
int faultyFsync(int fd) { return failNow(kFlushCall) ? -1 : systemFileCalls.fsync(fd); }
int faultyRename(const char* from, const char* to) {
    return failNow(kRenameCall) ? -1 : systemFileCalls.rename(from, to);
}
int faultyClose(int fd) {
    if (!failNow(kCloseCall)) return systemFileCalls.close(fd);
    const int error = errno;
    systemFileCalls.close(fd);
    errno = error;
    return -1;
}

int faultyStat(const char* path, struct stat* st) {
    return failNow(kStatCall) ? -1 : systemFileCalls.stat(path, st);
}
int faultyLstat(const char* path, struct stat* st) {
    return failNow(kStatCall) ? -1 : systemFileCalls.lstat(path, st);
}
DIR* faultyOpendir(const char* path) {
    return failNow(kListCall) ? nullptr : systemFileCalls.opendir(path);
}
dirent* faultyReaddir(DIR* dir) {
    return failNow(kListCall) ? nullptr : systemFileCalls.readdir(dir);
}
int faultyUnlink(const char* path) {
    return failNow(kUnlinkCall) ? -1 : systemFileCalls.unlink(path);
}

}  // namespace

void installFaultyFileCalls() {
    fileCalls = {faultyOpen, faultyRead,  faultyWrite,   faultyFsync,   faultyRename, faultyClose,
                 faultyStat, faultyLstat, faultyOpendir, faultyReaddir, faultyUnlink};
}

void restoreSystemFileCalls() { fileCalls = systemFileCalls; }

}  // namespace mfg::platform::testing
