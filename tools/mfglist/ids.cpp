#include "ids.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "errors.h"

namespace mfgtool {
namespace {

std::vector<std::string> readIds(std::istream& in, IdLines mode) {
    std::vector<std::string> ids;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (mode == IdLines::Tidy) {
            const std::size_t first = line.find_first_not_of(" \t");
            if (first == std::string::npos || line[first] == '#') continue;
            line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
        }
        ids.push_back(line);
    }
    return ids;
}

}  // namespace

std::vector<std::string> readIdsFile(const std::string& file, IdLines mode) {
    if (file == "-") {
        std::vector<std::string> ids = readIds(std::cin, mode);
        if (std::cin.bad()) throw UsageError("cannot read IDs from standard input");
        return ids;
    }
    std::error_code ec;
    std::ifstream in;
    if (!std::filesystem::is_directory(file, ec)) in.open(file, std::ios::binary);
    if (!in.is_open())
        throw UsageError("cannot read the IDs file " + file +
                         "; give a readable file with one ID a line");
    std::vector<std::string> ids = readIds(in, mode);
    if (in.bad()) throw UsageError("cannot read the IDs file " + file);
    return ids;
}

}  // namespace mfgtool
