// The POSIX file calls the platform layer makes, gathered in one table so
// that a test can put a failing call in place of a real one (see
// fault_injection.h).  The table starts out holding the system's own calls,
// and nothing but a test ever changes it: a call through it costs one
// indirect jump, nothing next to the system call itself.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace mfg::platform::posix {

struct FileCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*read)(int fd, void* buffer, size_t size);
    ssize_t (*write)(int fd, const void* buffer, size_t size);
    int (*fsync)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*close)(int fd);
    int (*stat)(const char* path, struct stat* st);
    int (*lstat)(const char* path, struct stat* st);
    DIR* (*opendir)(const char* path);
    dirent* (*readdir)(DIR* dir);
    int (*unlink)(const char* path);
};

// The calls in force.
extern FileCalls fileCalls;
// The system's own calls, for a test to wrap and to put back.
extern const FileCalls systemFileCalls;

}  // namespace mfg::platform::posix
