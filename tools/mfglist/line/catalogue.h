// The model catalogue: a folder of ID files, one per PC model of the line,
// the model named by the file name without its extension.  Each file is an
// ID file as --ids-file reads it (ids/id_file_header.h gives its optional
// header: display name, Windows, list kind).  Beside the models the folder
// may hold the ignore file (ignore.ids): device IDs that need no driver.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ids/id_file_header.h"

namespace mfgtool {

// The ignore file's name in a catalogue, used when --ignore names none.
inline const char* const kIgnoreFileName = "ignore.ids";

struct CatalogueModel {
    std::string name;  // the file name without its extension
    std::filesystem::path file;
    IdFileHeader header;
    std::size_t idCount = 0;  // IDs the file holds (comments and blank lines left out)
};

// Whether `file` is a model of a catalogue: a regular file named *.ids or
// *.txt (any case), not a dotfile, not the ignore file.
bool isModelFile(const std::filesystem::path& file);

// The models of `folder` in the natural order of their names ("-2" before
// "-10").  Throws UsageError when the folder is missing, holds no model, or
// a model's file cannot be read.
std::vector<CatalogueModel> readCatalogue(const std::filesystem::path& folder, int codePage);

// The ignore file: `given` (it must exist), else the catalogue's
// ignore.ids when there is one.
std::optional<std::filesystem::path> ignoreFile(const std::filesystem::path& folder,
                                                const std::optional<std::string>& given);

// `ids` (the library's code page) without those the ignore list names, by
// the library's own match rule: equal without regard to case, and for
// hardware IDs an 8-character ignore entry names every ID of its family.
std::vector<std::string> withoutIgnored(const std::vector<std::string>& ids,
                                        const std::vector<std::string>& ignore, bool hardwareIds,
                                        int codePage);

}  // namespace mfgtool
