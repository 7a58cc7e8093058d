#include "lint_folder.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "checks.h"
#include "common/file_reads.h"
#include "common/process_file_state.h"
#include "items/keys.h"
#include "listjob/cdrom_files.h"
#include "rules.h"
#include "text/mbstring.h"

namespace mfgtool::lint {

namespace fs = std::filesystem;

namespace {

constexpr char kProcessFile[] = "MfgProc.ini";

FileRole roleOf(const std::string& fileName) {
    if (fileName == mfg::kMatchedDriversFile) return FileRole::drvProc;
    if (fileName == mfg::kConfigDriversFile) return FileRole::drvCofg;
    if (fileName == mfg::kSoftwareProcessFile) return FileRole::softProc;
    return FileRole::mfgProc;
}

// What a list misses without one of the CD-ROM files.
std::string missingFileText(const std::string& name) {
    if (name == mfg::kMatchedDriversFile)
        return name +
               " is missing: a driver list reads only DrvCofg.ini, so no driver matched "
               "by hardware ID is listed";
    if (name == mfg::kConfigDriversFile)
        return name + " is missing: a driver list gets none of the drivers every machine takes";
    return name + " is missing: the software list has no entries";
}

std::string shownPath(const std::string& folder, const fs::path& file) {
    std::string shown = folder;
    while (shown.size() > 1 && (shown.back() == '/' || shown.back() == '\\')) shown.pop_back();
    if (shown.empty() || shown == ".") return file.filename().string();
    return shown + "/" + file.filename().string();
}

// Names the section and key a finding stands in: the last section whose
// header is at or above its line, and the key of that line.
void placeInSections(std::vector<Finding>& findings, const ProcessFileView& view) {
    for (Finding& finding : findings) {
        const auto after = std::upper_bound(
            view.sections.begin(), view.sections.end(), finding.line,
            [](std::uint64_t line, const SectionView& section) { return line < section.line; });
        if (after == view.sections.begin()) continue;
        const SectionView& section = *std::prev(after);
        finding.section = section.trimmedName;
        const auto key =
            std::lower_bound(section.keys.begin(), section.keys.end(), finding.line,
                             [](const KeyLine& k, std::uint64_t line) { return k.line < line; });
        if (key != section.keys.end() && key->line == finding.line) finding.key = key->folded;
    }
}

}  // namespace

std::vector<Finding> lintProcessFile(std::string_view bytes, const std::string& fileName,
                                     const std::string& shownAs, const LintOptions& options) {
    FileCheck check(roleOf(fileName), bytes, shownAs, options);
    checkEncoding(check);
    if (check.view.encoding != FileEncoding::utf16Be) {
        checkKeys(check);
        checkValues(check);
        checkSelection(check);
        checkCdromOrder(check);
        checkMedia(check);
    }
    placeInSections(check.findings, check.view);
    std::vector<Finding> kept;
    for (Finding& finding : check.findings) {
        if (isDisabled(finding.rule, options.disabled) ||
            isDisabled(finding.rule, check.disabledHere))
            continue;
        kept.push_back(std::move(finding));
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Finding& a, const Finding& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    return kept;
}

LintResult lintFolder(const LintOptions& options) {
    const fs::path folder(options.folder);
    std::error_code error;
    if (!fs::is_directory(folder, error))
        throw LintInputError("folder " + options.folder + " does not exist");
    std::vector<std::string> names;
    if (!options.cdrom) {
        names = {kProcessFile};
    } else {
        if (options.kind != std::string("software"))
            names = {mfg::kMatchedDriversFile, mfg::kConfigDriversFile};
        if (options.kind != std::string("driver")) names.push_back(mfg::kSoftwareProcessFile);
    }
    LintResult result;
    std::vector<std::string> missing;
    for (const std::string& name : names) {
        const FoundProcessFile where = findProcessFile(folder, name);
        if (const auto unusable = unusableProcessFileText(where, options.folder))
            throw LintInputError(*unusable);
        if (where.state == ProcessFileState::missing) {
            missing.push_back(name);
            continue;
        }
        const std::optional<fs::path> file = where.path;
        const std::optional<std::string> bytes = readFileWhole(*file);
        if (!bytes) throw LintInputError("cannot read " + file->string());
        const std::string shown = shownPath(options.folder, *file);
        result.files.push_back(shown);
        std::vector<Finding> found = lintProcessFile(*bytes, name, shown, options);
        std::move(found.begin(), found.end(), std::back_inserter(result.findings));
    }
    // CD-ROM mode reads its three files only: a process file beside them is
    // somebody's work the line never sees.
    const FoundProcessFile beside = findProcessFile(folder, kProcessFile);
    const std::optional<fs::path> unread =
        options.cdrom && beside.state != ProcessFileState::missing
            ? std::optional<fs::path>(beside.path)
            : std::nullopt;
    if (result.files.empty()) {
        throw LintInputError(
            options.cdrom
                ? "no DrvProc.ini, DrvCofg.ini or SoftProc.ini in " + options.folder +
                      (unread ? " (for its MfgProc.ini leave out --cdrom)" : "")
                : "no MfgProc.ini in " + options.folder + " (for CD-ROM media add --cdrom)");
    }
    // A CD-ROM list of the kind asked reads each of its files: one that is
    // missing leaves the list short without a word from the library.
    for (const std::string& name : missing) {
        if (isDisabled("missing-cdrom-file", options.disabled)) break;
        Finding finding;
        finding.file = shownPath(options.folder, folder / name);
        finding.line = finding.column = 1;
        finding.severity = Severity::error;
        finding.rule = "missing-cdrom-file";
        finding.message = missingFileText(name);
        finding.hint = "copy " + name + " to the media" +
                       (options.kind ? "" : ", or lint the one list kind it has (--kind)");
        result.findings.push_back(std::move(finding));
    }
    if (unread && !isDisabled("unread-process-file", options.disabled)) {
        Finding note;
        note.file = shownPath(options.folder, *unread);
        note.line = note.column = 1;
        note.severity = Severity::note;
        note.rule = "unread-process-file";
        note.message = std::string(kProcessFile) +
                       " is not read in CD-ROM mode: the library reads DrvProc.ini, DrvCofg.ini "
                       "and SoftProc.ini here";
        note.hint =
            "lint it without --cdrom if the line runs it (-P); remove it from the media "
            "otherwise";
        result.findings.push_back(std::move(note));
    }
    // Each file's findings are in line order already.
    std::stable_sort(result.findings.begin(), result.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.file < b.file; });
    return result;
}

}  // namespace mfgtool::lint
