// The library as a factory host sees it: a file loaded at run time and three
// exported names looked up in it.  The host links nothing of the library, so
// a missing export or a broken file shows here exactly as on the line.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mfglist/mfglist.h"

namespace mfgtool {

// The platform's dynamic loader (dlopen, LoadLibraryA), chosen by the build.
class DynamicModule {
public:
    using Symbol = void (*)();

    virtual ~DynamicModule() = default;
    // Null when the module does not export `name`.
    virtual Symbol symbol(const char* name) const = 0;
    // The loader's handle (HMODULE, dlopen's handle).
    virtual void* handle() const = 0;

    // Null on failure, with the loader's reason in `error`.
    static std::unique_ptr<DynamicModule> open(const std::filesystem::path& file,
                                               std::string& error);
};

struct ListLibrary {
    std::filesystem::path file;
    std::unique_ptr<DynamicModule> module;
    MFG_InitMfgList_t initMfgList = nullptr;
    MFG_CreateIniFile_t createIniFile = nullptr;
    MFG_CreateAllSoftIniFile_t createAllSoftIniFile = nullptr;
};

// The file name of the library on this platform (libmfglist.so, mfglist.dll).
std::string libraryFileName();

// Where the host looks when no --library is given: beside the program, then
// in the build tree's src/ folder (the program's folder/../src), then where
// an install puts it (e.g. ../lib/libmfglist.so.0 from the program's folder).
std::vector<std::filesystem::path> defaultLibraryLocations(
    const std::filesystem::path& programFolder);

// Loads the library from `explicitFile`, or from the first default location
// that holds a file.  Throws LibraryError naming what to do.
ListLibrary loadListLibrary(const std::optional<std::string>& explicitFile,
                            const std::filesystem::path& programFolder);

}  // namespace mfgtool
