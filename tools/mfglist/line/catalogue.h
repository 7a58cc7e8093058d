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

// The models of `folder` in file-name order.  Throws UsageError naming the
// file when the folder is missing or holds no model, when a model's file is
// a dangling link, not a file, unreadable or not text, and when two files
// give one model name (without regard to case: the names become list
// files).  `ignore` (ignoreFile's answer) is never a model.
std::vector<CatalogueModel> readCatalogue(const std::filesystem::path& folder, int codePage,
                                          const std::optional<std::filesystem::path>& ignore = {});

// The ignore file: `given` (it must exist), else the catalogue's
// ignore.ids (any case) when there is one.  Throws UsageError naming it as
// the ignore file when it cannot be read as an ID file, and when the
// catalogue holds two files of that name.
std::optional<std::filesystem::path> ignoreFile(const std::filesystem::path& folder,
                                                const std::optional<std::string>& given,
                                                int codePage);

// `ids` (the library's code page) without those the ignore list names, by
// the library's own match rule: equal without regard to case, and for
// hardware IDs an 8-character ignore entry names every ID of its family.
std::vector<std::string> withoutIgnored(const std::vector<std::string>& ids,
                                        const std::vector<std::string>& ignore, bool hardwareIds,
                                        int codePage);

}  // namespace mfgtool
