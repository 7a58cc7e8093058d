#include "system.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <system_error>

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

}  // namespace mfgtool
