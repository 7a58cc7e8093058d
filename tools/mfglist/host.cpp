// `mfglist host`: one factory call reproduced exactly.  Every value goes to
// the library as given; nothing is checked that the library itself would
// take, so that a faulty call on the line can be replayed here.
#include <vector>

#include "commands.h"
#include "errors.h"
#include "ids.h"
#include "library.h"
#include "machine.h"
#include "system.h"

namespace mfgtool {

int runHost(const HostOptions& options) {
    if (options.allSoftware && (!options.ids.empty() || options.idsFile))
        throw UsageError(
            "--all-software passes no IDs (MFG_CreateAllSoftIniFile takes none); "
            "leave out --id and --ids-file");
    std::vector<std::string> ids = options.ids;
    if (options.idsFile) {
        std::vector<std::string> more = readIdsFile(*options.idsFile, IdLines::Verbatim);
        ids.insert(ids.end(), more.begin(), more.end());
    }
    applyHostMachine(options.drives, options.winver);

    const ListLibrary library = loadListLibrary(options.library, programFolder());
    std::vector<const char*> pointers;
    for (const std::string& id : ids) pointers.push_back(id.c_str());

    library.initMfgList(options.kind, options.commandLine.c_str(), options.drive);
    if (options.allSoftware)
        library.createAllSoftIniFile(options.output.c_str());
    else
        library.createIniFile(static_cast<int>(pointers.size()),
                              pointers.empty() ? nullptr : pointers.data(), options.output.c_str());
    return kExitOk;
}

}  // namespace mfgtool
