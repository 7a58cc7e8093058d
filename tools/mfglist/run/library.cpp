#include "library.h"

#include <system_error>

#include "common/errors.h"

namespace fs = std::filesystem;

namespace mfgtool {

std::vector<fs::path> defaultLibraryLocations(const fs::path& programFolder) {
    const std::string name = libraryFileName();
    // An installed program finds the library in its install prefix: the
    // program is in PREFIX/bin, the library in PREFIX/MFGLIST_INSTALLED_LIBRARY.
    return {programFolder / name, programFolder.parent_path() / "src" / name,
            programFolder.parent_path() / MFGLIST_INSTALLED_LIBRARY};
}

ListLibrary loadListLibrary(const std::optional<std::string>& explicitFile,
                            const fs::path& programFolder) {
    ListLibrary library;
    std::error_code ec;
    if (explicitFile) {
        library.file = fs::absolute(fs::path(*explicitFile), ec);
        if (ec) library.file = *explicitFile;
        if (!fs::is_regular_file(library.file, ec))
            throw LibraryError("no library file at " + library.file.string() +
                               "; give the path of " + libraryFileName() + " with --library");
    } else {
        const std::vector<fs::path> candidates = defaultLibraryLocations(programFolder);
        for (const fs::path& candidate : candidates) {
            if (fs::is_regular_file(candidate, ec)) {
                library.file = candidate;
                break;
            }
        }
        if (library.file.empty())
            throw LibraryError("no " + libraryFileName() + " beside the program, in " +
                               candidates[1].parent_path().string() + " or at " +
                               candidates[2].string() +
                               "; build or install it, or give its path with --library");
    }

    std::string reason;
    library.module = DynamicModule::open(library.file, reason);
    if (!library.module)
        throw LibraryError("cannot load " + library.file.string() + ": " + reason + "; give a " +
                           libraryFileName() + " built for this machine with --library");

    // All three are looked up before any is called, as a host that checks its
    // library before the first call would do.
    const char* missing = nullptr;
    const auto find = [&](const char* name) {
        DynamicModule::Symbol symbol = library.module->symbol(name);
        if (!symbol && !missing) missing = name;
        return symbol;
    };
    library.initMfgList = reinterpret_cast<MFG_InitMfgList_t>(find("MFG_InitMfgList"));
    library.createIniFile = reinterpret_cast<MFG_CreateIniFile_t>(find("MFG_CreateIniFile"));
    library.createAllSoftIniFile =
        reinterpret_cast<MFG_CreateAllSoftIniFile_t>(find("MFG_CreateAllSoftIniFile"));
    if (missing)
        throw LibraryError(
            library.file.string() + " does not export " + missing +
            "; it is not the install-list library, give the right file with --library");
    return library;
}

}  // namespace mfgtool
