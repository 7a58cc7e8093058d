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

// Whether `file` is a model of a catalogue: a regular file named *.ids or
// *.txt (any case), not a dotfile, not the ignore file.
bool isModelFile(const std::filesystem::path& file);

// The models of `folder` in file-name order.  Throws UsageError when the
// folder is missing, holds no model, or a model's file cannot be read.
std::vector<CatalogueModel> readCatalogue(const std::filesystem::path& folder, int codePage);

}  // namespace mfgtool
