#include "preview_problems.h"

#include <cctype>

#include "common/errors.h"
#include "common/process_file_state.h"
#include "common/text_encoding.h"
#include "mfglist/mfglist.h"

namespace mfgtool {

namespace {

std::string valueOf(const KeyValues& keys, const std::string& key) {
    for (const auto& [name, value] : keys)
        if (name == key) return value;
    return {};
}

bool isAbsoluteWindowsPath(const std::string& path) {
    const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                       path[1] == ':' && path[2] == '\\';
    return drive || path.rfind("\\\\", 0) == 0;
}

// Why a host cannot run the entry's program as the list names it; "" when
// it can.
std::string programProblem(const std::string& exePath, const std::string& windows) {
    if (exePath.empty()) return "EXEPATH is empty: nothing to run on Windows " + windows;
    if (exePath.find_first_of("$%") != std::string::npos)
        return "EXEPATH " + exePath + " keeps a macro or '%' the library did not expand";
    if (!isAbsoluteWindowsPath(exePath))
        return "EXEPATH " + exePath + " is relative: the host runs it from wherever it stands";
    return {};
}

// The CD-ROM files a list of this kind reads.
std::vector<std::string> cdromFilesOf(const Plan& plan) {
    if (plan.allSoftware || plan.listKind == LIST_SOFTWARE) return {"SoftProc.ini"};
    return {"DrvProc.ini", "DrvCofg.ini"};
}

}  // namespace

PreviewProblems findPreviewProblems(const Plan& plan, const InstallList& list,
                                    const std::string& windows) {
    PreviewProblems found;
    const std::string folder = plan.folder.string();
    const std::vector<std::string> files =
        plan.cdrom ? cdromFilesOf(plan) : std::vector<std::string>{"MfgProc.ini"};
    for (const std::string& name : files) {
        const FoundProcessFile file = findProcessFile(plan.folder, name);
        if (const auto unusable = unusableProcessFileText(file, folder)) {
            found.unusableFiles.push_back(*unusable);
            found.problems.push_back(*unusable);
        } else if (plan.cdrom && file.state == ProcessFileState::missing) {
            found.missingFiles.push_back(name);
            found.problems.push_back(name + " is missing from " + folder + ": the " +
                                     (name == files.front() && files.size() > 1
                                          ? "list has none of its matched drivers"
                                      : files.size() > 1 ? "list has none of its drivers "
                                                           "for every machine"
                                                         : "software list has no entries"));
        }
    }
    if (plan.idsFileEmpty)
        found.problems.push_back("the IDs file holds no ID (only blank or comment lines): " +
                                 std::string(plan.listKind == LIST_SOFTWARE
                                                 ? "no package is matched"
                                                 : "only what needs no ID is listed"));
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        const std::string problem = programProblem(valueOf(list.entries[i], "EXEPATH"), windows);
        found.brokenEntries.push_back(!problem.empty());
        found.entryProblems.push_back(decodeCodePage(problem, plan.codePage).utf8);
        if (problem.empty()) continue;
        found.problems.push_back(
            "entry " + std::to_string(i) + " (" +
            decodeCodePage(valueOf(list.entries[i], "NAME"), plan.codePage).utf8 +
            "): " + decodeCodePage(problem, plan.codePage).utf8);
    }
    return found;
}

void nameUnusableFiles(LibraryRun& run, const PreviewProblems& problems) {
    if (run.noList && !run.failed && !problems.unusableFiles.empty()) {
        run.noList = problems.unusableFiles.front();
        run.empty = false;
    }
}

RunVerdict previewVerdict(const LibraryRun& run, const PreviewProblems& problems, bool allowEmpty,
                          bool allowMissing) {
    RunVerdict verdict = verdictOf(run, allowEmpty);
    if (verdict.status == kExitOk && !problems.missingFiles.empty()) {
        verdict.label = "incomplete";
        if (!allowMissing) verdict.status = kExitIncomplete;
    }
    return verdict;
}

}  // namespace mfgtool
