// Every file the tool reads whole (a process file, a list, an ID file, a
// baseline, a worker's result) is read here: sized from the file and read
// in one call, since a string grown as it reads holds up to twice the file
// and a read through stream iterators, a byte at a time, costs more than
// what the caller then does with the bytes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace mfgtool {

// The bytes of `file`; none when it cannot be opened or read to its end (no
// such file, no access, a folder, an error of the device).  Each caller
// says in its own words which file it could not read.
std::optional<std::string> readFileWhole(const std::filesystem::path& file);

// The same, telling a file that could not be opened from one cut short by
// an error while read, for a caller whose advice differs between the two.
enum class ReadFault { none, notOpened, cutShort };
std::optional<std::string> readFileWhole(const std::filesystem::path& file, ReadFault& fault);

// The bytes of `file`, "" when it cannot be read: for a file whose absence
// the caller has already told, or whose lack reads as emptiness.
std::string fileBytes(const std::filesystem::path& file);

}  // namespace mfgtool
