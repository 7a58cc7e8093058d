#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "floor_io.h"

namespace bench::floor_io {
namespace {

void writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n <= 0) return;
        content.remove_prefix(static_cast<std::size_t>(n));
    }
}

class PosixRewritable final : public Rewritable {
public:
    explicit PosixRewritable(int fd) : fd_(fd) {}
    ~PosixRewritable() override { ::close(fd_); }
    void rewrite(std::string_view content) override {
        ::lseek(fd_, 0, SEEK_SET);
        writeAll(fd_, content);
        (void)::ftruncate(fd_, static_cast<off_t>(content.size()));
    }

private:
    int fd_;
};

}  // namespace

bool readAll(const std::string& path, std::string& content) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    content.clear();
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        content.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return n == 0;
}

std::unique_ptr<Rewritable> createRewritable(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixRewritable>(fd);
}

bool flagPresent(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The library's POSIX build sends debugger output nowhere unless asked to,
// so the floor's costs nothing either.
void debuggerOutput(const char*) {}

bool commitFile(const std::string& path, std::string_view content) {
    const std::string temp = path + ".floor";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    writeAll(fd, content);
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok && ::rename(temp.c_str(), path.c_str()) == 0;
}

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

}  // namespace bench::floor_io
