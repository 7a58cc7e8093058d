// Files on the POSIX machine.  Windows paths are mapped through the drive
// map; the Windows rules that the library relies on are kept: a file without
// any write permission is read-only (even for root, as the attribute is on
// Windows), and a missing drive or folder fails the call.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/posix/file_calls.h"
#include "platform/posix/folder_listing.h"
#include "platform/posix/machine.h"

namespace mfg::platform {

namespace posix {

namespace {
int systemOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
int systemStat(const char* path, struct stat* st) { return ::stat(path, st); }
int systemLstat(const char* path, struct stat* st) { return ::lstat(path, st); }
}  // namespace

const FileCalls systemFileCalls = {systemOpen, ::read,      ::write,   ::fsync,   ::rename, ::close,
                                   systemStat, systemLstat, ::opendir, ::readdir, ::unlink};
FileCalls fileCalls = systemFileCalls;

}  // namespace posix

namespace {

using posix::fileCalls;
using posix::resolvePath;

std::string errorText(int error) { return std::strerror(error); }

bool writeAll(int fd, std::string_view content) {
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = fileCalls.write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool isReadOnly(const struct stat& st) { return (st.st_mode & 0222) == 0; }

// Opens a file to read it whole or in order.  Only a regular file is taken:
// a FIFO or a device could block the run forever or never end.  The open
// itself does not wait for a FIFO's writer.
int openRegularFile(const std::string& native, std::string* error) {
    const int fd = fileCalls.open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0);
    if (fd < 0) {
        if (error) *error = errorText(errno);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error)
            *error = S_ISDIR(st.st_mode) ? "a folder of that name exists" : "not a regular file";
        fileCalls.close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::string parentFolder(const std::string& native) {
    const std::size_t slash = native.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : native.substr(0, slash);
}

void setError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

class PosixInputFile final : public InputFile {
public:
    explicit PosixInputFile(int fd) : fd_(fd) {}
    ~PosixInputFile() override { fileCalls.close(fd_); }
    bool read(void* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        for (;;) {
            const ssize_t n = fileCalls.read(fd_, buffer, size);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                error_ = errorText(errno);
                return false;
            }
            got = static_cast<std::size_t>(n);
            return true;
        }
    }
    bool seek(std::uint64_t offset) override {
        if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0) return true;
        error_ = errorText(errno);
        return false;
    }
    std::string lastError() const override { return error_; }

private:
    int fd_;
    std::string error_;
};

class PosixRewritableFile final : public RewritableFile {
public:
    explicit PosixRewritableFile(int fd) : fd_(fd) {}
    ~PosixRewritableFile() override { fileCalls.close(fd_); }
    bool rewrite(std::string_view content) override {
        if (::lseek(fd_, 0, SEEK_SET) < 0) return false;
        const bool written = writeAll(fd_, content);
        return ::ftruncate(fd_, static_cast<off_t>(content.size())) == 0 && written;
    }

private:
    int fd_;
};

}  // namespace

bool pathExists(std::string_view path) {
    const auto resolved = posix::resolvePathNoting(path, false);
    if (!resolved || resolved->knownMissing) return false;
    struct stat st {};
    posix::countResolverCall();
    return fileCalls.stat(resolved->native.c_str(), &st) == 0;
}

bool readWholeFile(std::string_view path, std::string& content, std::string* error) {
    content.clear();
    const auto native = resolvePath(path);
    if (!native) {
        if (error) *error = "the drive does not exist";
        return false;
    }
    const int fd = openRegularFile(*native, error);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) == 0) content.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = fileCalls.read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ok = false;
            if (error) *error = errorText(errno);
        }
        if (n <= 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    fileCalls.close(fd);
    return ok;
}

// The file `native` names once its symbolic links are followed: a list file
// that is a link to one kept elsewhere is replaced there, and the link
// stays a link.  A link to nothing names the file to create.  False for a
// chain of links that does not end.
bool followLinks(std::string& native, std::string* error) {
    constexpr int kMostLinks = 40;  // as the system's own path lookup allows
    for (int hops = 0; hops < kMostLinks; ++hops) {
        struct stat st {};
        if (::lstat(native.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        char target[4096];
        const ssize_t size = ::readlink(native.c_str(), target, sizeof target);
        if (size <= 0 || static_cast<std::size_t>(size) >= sizeof target) break;
        const std::string next(target, static_cast<std::size_t>(size));
        native = next[0] == '/' ? next : parentFolder(native) + "/" + next;
    }
    setError(error, "the symbolic link cannot be followed");
    return false;
}

bool replaceFileAtomically(std::string_view path, std::string_view head, std::string_view tail,
                           std::string* error) {
    auto native = resolvePath(path);
    if (!native) {
        setError(error, "the drive does not exist");
        return false;
    }
    if (!followLinks(*native, error)) return false;
    struct stat st {};
    mode_t mode = 0644;
    if (fileCalls.stat(native->c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            setError(error, "a folder of that name exists");
            return false;
        }
        if (isReadOnly(st)) {
            setError(error, "the file is read-only");
            return false;
        }
        mode = st.st_mode & 07777;
    }
    const std::string folder = parentFolder(*native);
    struct stat folderStat {};
    if (fileCalls.stat(folder.c_str(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode)) {
        setError(error, "the folder does not exist");
        return false;
    }

    // A short name in the same folder: a name beside the target's own would
    // be too long for a target near the file-name limit.
    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 64; ++attempt) {
        const unsigned stamp = (static_cast<unsigned>(::getpid()) * 64u + counter++) & 0xFFFFFu;
        char name[16];
        std::snprintf(name, sizeof name, "~mf%05X.tmp", stamp);
        temp = folder + "/" + name;
        fd = fileCalls.open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        setError(error, "cannot create the new file: " + errorText(errno));
        return false;
    }
    // Each step's own error is the reason: a later call must not report an
    // errno left over from an earlier one.
    std::string why;
    if (!writeAll(fd, head) || !writeAll(fd, tail))
        why = "cannot write the new file: " + errorText(errno);
    else if (::fchmod(fd, mode) != 0)
        why = "cannot write the new file: " + errorText(errno);
    else if (fileCalls.fsync(fd) != 0)
        why = "cannot flush the new file: " + errorText(errno);
    if (fileCalls.close(fd) != 0 && why.empty())
        why = "cannot close the new file: " + errorText(errno);
    if (why.empty() && fileCalls.rename(temp.c_str(), native->c_str()) != 0)
        why = "cannot replace the file: " + errorText(errno);
    if (!why.empty()) {
        setError(error, why);
        fileCalls.unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable: a power cut must find old or new, whole.
    const int dirFd = fileCalls.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (dirFd >= 0) {
        fileCalls.fsync(dirFd);
        fileCalls.close(dirFd);
    }
    return true;
}

bool deleteFile(std::string_view path) {
    const auto native = resolvePath(path);
    struct stat st {};
    if (!native || fileCalls.lstat(native->c_str(), &st) != 0 || S_ISDIR(st.st_mode) ||
        isReadOnly(st))
        return false;
    return fileCalls.unlink(native->c_str()) == 0;
}

bool appendText(std::string_view path, std::string_view text) {
    const auto native = resolvePath(path);
    if (!native) return false;
    // A read-only log stays as it is, even for root, as the list file does.
    struct stat st {};
    if (fileCalls.stat(native->c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || isReadOnly(st)))
        return false;
    const int fd = fileCalls.open(native->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::string translated;
    translated.reserve(text.size() + 16);
    for (char c : text) {
        if (c == '\n') translated += '\r';
        translated += c;
    }
    const bool ok = writeAll(fd, translated);
    return (fileCalls.close(fd) == 0) && ok;
}

std::unique_ptr<InputFile> openForReading(std::string_view path, std::string* error) {
    const auto native = resolvePath(path);
    if (!native) {
        if (error) *error = "the drive does not exist";
        return nullptr;
    }
    const int fd = openRegularFile(*native, error);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixInputFile>(fd);
}

std::unique_ptr<RewritableFile> createForRewriting(std::string_view path) {
    const auto native = resolvePath(path);
    if (!native) return nullptr;
    struct stat st {};
    if (fileCalls.stat(native->c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || isReadOnly(st)))
        return nullptr;
    const int fd = fileCalls.open(native->c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixRewritableFile>(fd);
}

}  // namespace mfg::platform
