#include "file_reads.h"

#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace mfgtool {

std::optional<std::string> readFileWhole(const fs::path& file, ReadFault& fault) {
    std::ifstream in(file, std::ios::binary);
    fault = in ? ReadFault::none : ReadFault::notOpened;
    if (!in) return std::nullopt;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    std::string bytes(ec ? 0 : static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    // A file whose size the system does not tell (sysfs, /proc) or that grew
    // since is read on to its end.
    char more[4096];
    while (in && !in.eof()) {
        in.read(more, sizeof more);
        bytes.append(more, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        fault = ReadFault::cutShort;
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> readFileWhole(const fs::path& file) {
    ReadFault fault;
    return readFileWhole(file, fault);
}

std::string fileBytes(const fs::path& file) { return readFileWhole(file).value_or(std::string()); }

}  // namespace mfgtool
