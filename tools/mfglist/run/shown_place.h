// A section as a report names it: UTF-8, its process file by its name in
// the previewed folder.  The runs find the places (list_sources.h, the model
// worker); the reports show them (present/report.h).
#pragma once

#include <cstdint>
#include <string>

namespace mfgtool {

struct ShownPlace {
    std::string file;
    std::string section;
    std::uint64_t line = 0;
};

// A process file as the library names it, by its name in the previewed
// folder (the library's name of that folder is `folderForLibrary`).
std::string fileInFolder(const std::string& path, const std::string& folderForLibrary,
                         int codePage);

}  // namespace mfgtool
