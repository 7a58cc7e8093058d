// A process file in its folder as the library finds it (the exact spelling
// first, then any ASCII case), and what keeps it from being read: one
// wording for preview, explain and lint, on both builds.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace mfgtool {

enum class ProcessFileState { readable, missing, folder, notRegular, unreadable };

struct FoundProcessFile {
    std::filesystem::path path;  // the name found, or the name asked when missing
    ProcessFileState state = ProcessFileState::missing;
};

FoundProcessFile findProcessFile(const std::filesystem::path& folder, const std::string& name);

// "MfgProc.ini in FOLDER is a folder, not a file: the library reads nothing
// from it"; nullopt for a readable or missing file.
std::optional<std::string> unusableProcessFileText(const FoundProcessFile& file,
                                                   const std::string& folderShown);

}  // namespace mfgtool
