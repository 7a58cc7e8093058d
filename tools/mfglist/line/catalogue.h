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

#include "ids/id_devices.h"
#include "ids/id_file_header.h"

namespace mfgtool {

struct CatalogueModel {
    std::string name;  // the file name without its extension
    std::filesystem::path file;
    IdFileHeader header;
    std::size_t idCount = 0;  // IDs the file holds (comments and blank lines left out)
};

// What a file of the catalogue folder is, by its name alone; the same
// rule for every command and every build.
enum class CatalogueRole {
    model,       // *.ids or *.txt (any case), none of the below
    ignoreFile,  // ignore.ids, any case
    note,        // README or NOTES (any case), alone or followed by a
                 // character that is not a letter or digit: README.txt,
                 // notes-2026.txt
    other,       // a dotfile, or another extension
};
CatalogueRole catalogueRole(const std::string& fileName);

// The models of `folder` in the natural order of their names ("-2" before
// "-10").  Throws UsageError naming the
// file when the folder is missing or holds no model, when a model's file is
// a dangling link, not a file, unreadable or not text, and when two files
// give one model name (without regard to case: the names become list
// files).  `ignore` (ignoreFile's answer) is never a model.
std::vector<CatalogueModel> readCatalogue(const std::filesystem::path& folder, int codePage,
                                          const std::optional<std::filesystem::path>& ignore = {});

}  // namespace mfgtool
