// The tests' one reader of a whole file, at a path of the machine the test
// program runs on; the library stand-ins and the fuzzers compile it in too,
// so it needs nothing else of the support code.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace mfg::test {

// The file's bytes; none when it cannot be opened or read.
std::optional<std::string> readWholeFile(const std::filesystem::path& file);

}  // namespace mfg::test
