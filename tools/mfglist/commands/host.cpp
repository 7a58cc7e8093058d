// `mfglist host`: one factory call reproduced exactly.  Every value goes to
// the library as given; nothing is checked that the library itself would
// take, so that a faulty call on the line can be replayed here.  Afterwards
// the list file must be there, as the factory host needs it, and the
// library's trace of the run must hold no failure.
#include <optional>
#include <vector>

#include "common/errors.h"
#include "common/run_options.h"
#include "common/system.h"
#include "common/text_encoding.h"
#include "ids/id_file.h"
#include "run/host_trace.h"
#include "run/library.h"
#include "run/machine.h"
#include "run/no_list.h"

namespace fs = std::filesystem;

namespace mfgtool {

int runHost(const HostOptions& options) {
    if (options.allSoftware && (!options.ids.empty() || options.idsFile))
        throw UsageError(
            "--all-software passes no IDs (MFG_CreateAllSoftIniFile takes none); "
            "leave out --id and --ids-file");
    std::vector<std::string> ids = options.ids;
    if (options.idsFile) {
        std::vector<std::string> more =
            readIdsFile(*options.idsFile, IdLines::verbatim, libraryCodePage());
        ids.insert(ids.end(), more.begin(), more.end());
    }
    applyHostMachine(options.drives, options.winver);

    const ListLibrary library = loadListLibrary(options.library, programFolder());
    std::vector<const char*> pointers;
    for (const std::string& id : ids) pointers.push_back(id.c_str());

    const NativePath native = [](const std::string& path) {
        std::string why;
        return hostNativePath(path, why);
    };
    const HostTrace trace(*library.module, native);

    library.initMfgList(options.kind, options.commandLine.c_str(), options.drive);
    if (options.allSoftware)
        library.createAllSoftIniFile(options.output.c_str());
    else
        library.createIniFile(static_cast<int>(pointers.size()),
                              pointers.empty() ? nullptr : pointers.data(), options.output.c_str());

    if (options.output.empty()) {
        if (options.allowEmpty) return kExitOk;
        throw NoListError("the list path is empty, so the library writes nothing; give --output");
    }
    // A failed run fails whatever file is at the list path: the old list
    // left as it was is not this run's.
    const std::optional<TracedProblem> problem = problemFromTrace(trace.lines(), native);
    if (problem && problem->failedRun)
        throw FailedRunError("the library's run failed (list " + options.output +
                             "): " + problem->reason);
    std::string why;
    std::error_code ec;
    const std::optional<fs::path> output = hostNativePath(options.output, why);
    if ((output && fs::is_regular_file(*output, ec)) || options.allowEmpty) return kExitOk;
    std::optional<std::string> reason;
    if (problem) reason = problem->reason;
    if (!reason && !output) reason = why;
    if (!reason) {
        const std::string missing = whyMissing(options.output, native, "list file");
        reason = missing.rfind("no list file", 0) == 0
                     ? "no entry was selected (--allow-empty accepts a run without a list)"
                     : missing;
    }
    throw NoListError("the library wrote no list at " + options.output + ": " + *reason);
}

}  // namespace mfgtool
