#include "common/system.h"

#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <system_error>

#include "common/errors.h"

namespace mfgtool {

std::filesystem::path programFolder() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path(ec) : self.parent_path();
}

int terminalColumns() {
    winsize size{};
    if (::isatty(STDOUT_FILENO) && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0)
        return size.ws_col;
    return 0;
}

unsigned processId() { return static_cast<unsigned>(::getpid()); }

std::filesystem::path scratchBase() {
    namespace fs = std::filesystem;
    std::error_code ec;
    // A preview of the largest process files traces a few hundred megabytes.
    constexpr std::uintmax_t kRoomWanted = std::uintmax_t{2} << 30;
    const char* const memory = "/dev/shm";
    const char* const named = std::getenv("TMPDIR");
    if ((!named || !*named) && fs::is_directory(memory, ec) && ::access(memory, W_OK | X_OK) == 0) {
        const fs::space_info room = fs::space(memory, ec);
        if (!ec && room.available >= kRoomWanted) return memory;
    }
    if (named && *named && !fs::is_directory(named, ec))
        throw RunError(std::string("TMPDIR names ") + named +
                       ", which is not a folder; make it or set TMPDIR to another folder");
    fs::path base = fs::temp_directory_path(ec);
    if (ec) throw RunError("no temporary folder on this machine: " + ec.message());
    return base;
}

std::string scratchBaseText(const std::filesystem::path& base) {
    const char* const named = std::getenv("TMPDIR");
    const bool chosen = named && *named &&
                        std::filesystem::path(named).lexically_normal() == base.lexically_normal();
    return base.string() + (chosen ? " (TMPDIR)" : "");
}

bool argumentsAreUtf8() { return true; }

void writeStdout(const std::string& utf8) {
    std::string text = utf8;
    if (::isatty(STDOUT_FILENO)) {
        std::setlocale(LC_CTYPE, "");
        const std::string codeset = ::nl_langinfo(CODESET);
        if (codeset != "UTF-8") {
            // What the terminal cannot show becomes its nearest letter or '?'.
            iconv_t cd = ::iconv_open((codeset + "//TRANSLIT").c_str(), "UTF-8");
            if (cd != reinterpret_cast<iconv_t>(-1)) {
                std::string out(utf8.size() * 4 + 16, '\0');
                char* in = text.data();
                std::size_t inLeft = text.size();
                char* at = out.data();
                std::size_t outLeft = out.size();
                while (inLeft &&
                       ::iconv(cd, &in, &inLeft, &at, &outLeft) == static_cast<size_t>(-1)) {
                    if (!outLeft) break;
                    *at++ = '?';
                    --outLeft;
                    ++in;
                    --inLeft;
                }
                out.resize(static_cast<std::size_t>(at - out.data()));
                ::iconv_close(cd);
                text = out;
            }
        }
    }
    std::cout << text << std::flush;
}

}  // namespace mfgtool

namespace mfgtool {

NativeFile createNewFile(const std::filesystem::path& path, std::error_code& ec) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) ec.assign(errno, std::generic_category());
    return fd;
}

void writeToFile(NativeFile file, std::string_view bytes, std::error_code& ec) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(static_cast<int>(file), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ec.assign(n < 0 ? errno : ENOSPC, std::generic_category());
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void flushToDisk(NativeFile file, std::error_code& ec) {
    if (::fsync(static_cast<int>(file)) != 0) ec.assign(errno, std::generic_category());
}

void closeFile(NativeFile file, std::error_code& ec) {
    if (::close(static_cast<int>(file)) != 0 && errno != EINTR)
        ec.assign(errno, std::generic_category());
}

void renameOver(const std::filesystem::path& from, const std::filesystem::path& to,
                std::error_code& ec) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        ec.assign(errno, std::generic_category());
        return;
    }
    // The new name itself survives a power cut once its folder is on disk.
    const int folder = ::open(to.parent_path().empty() ? "." : to.parent_path().c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

}  // namespace mfgtool
