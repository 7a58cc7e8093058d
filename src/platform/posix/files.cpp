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
#include "platform/posix/machine.h"

namespace mfg::platform {
namespace {

using posix::resolvePath;

bool writeAll(int fd, std::string_view content) {
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
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
    ~PosixInputFile() override { ::close(fd_); }
    bool read(void* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, size);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return false;
            got = static_cast<std::size_t>(n);
            return true;
        }
    }
    bool seek(std::uint64_t offset) override {
        return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
    }

private:
    int fd_;
};

class PosixRewritableFile final : public RewritableFile {
public:
    explicit PosixRewritableFile(int fd) : fd_(fd) {}
    ~PosixRewritableFile() override { ::close(fd_); }
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
    const auto native = resolvePath(path);
    struct stat st {};
    return native && ::stat(native->c_str(), &st) == 0;
}

bool readWholeFile(std::string_view path, std::string& content) {
    content.clear();
    const auto native = resolvePath(path);
    if (!native) return false;
    const int fd = ::open(native->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    content.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ok;
}

bool replaceFileAtomically(std::string_view path, std::string_view content, std::string* error) {
    const auto native = resolvePath(path);
    if (!native) {
        setError(error, "the drive does not exist");
        return false;
    }
    struct stat st {};
    mode_t mode = 0644;
    if (::stat(native->c_str(), &st) == 0) {
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
    if (::stat(folder.c_str(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode)) {
        setError(error, "the folder does not exist");
        return false;
    }

    static std::atomic<unsigned> counter{0};
    const std::string temp = *native + ".mfgnew." + std::to_string(::getpid()) + "." +
                             std::to_string(counter++);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        setError(error, std::string("cannot create the new file: ") + std::strerror(errno));
        return false;
    }
    bool ok = writeAll(fd, content) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temp.c_str(), native->c_str()) != 0) ok = false;
    if (!ok) {
        setError(error, std::string("cannot write the new file: ") + std::strerror(savedErrno ? savedErrno : errno));
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable: a power cut must find old or new, whole.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool copyFile(std::string_view from, std::string_view to) {
    std::string content;
    if (!readWholeFile(from, content)) return false;
    const auto native = resolvePath(to);
    if (!native) return false;
    struct stat st {};
    if (::stat(native->c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || isReadOnly(st))) return false;
    const int fd = ::open(native->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool ok = writeAll(fd, content);
    return (::close(fd) == 0) && ok;
}

bool deleteFile(std::string_view path) {
    const auto native = resolvePath(path);
    struct stat st {};
    if (!native || ::lstat(native->c_str(), &st) != 0 || S_ISDIR(st.st_mode) || isReadOnly(st))
        return false;
    return ::unlink(native->c_str()) == 0;
}

bool appendText(std::string_view path, std::string_view text) {
    const auto native = resolvePath(path);
    if (!native) return false;
    const int fd = ::open(native->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::string translated;
    translated.reserve(text.size() + 16);
    for (char c : text) {
        if (c == '\n') translated += '\r';
        translated += c;
    }
    const bool ok = writeAll(fd, translated);
    return (::close(fd) == 0) && ok;
}

std::unique_ptr<InputFile> openForReading(std::string_view path) {
    const auto native = resolvePath(path);
    if (!native) return nullptr;
    const int fd = ::open(native->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixInputFile>(fd);
}

std::unique_ptr<RewritableFile> createForRewriting(std::string_view path) {
    const auto native = resolvePath(path);
    if (!native) return nullptr;
    struct stat st {};
    if (::stat(native->c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || isReadOnly(st)))
        return nullptr;
    const int fd = ::open(native->c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixRewritableFile>(fd);
}

}  // namespace mfg::platform
