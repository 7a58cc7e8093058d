// The linter's checks of one process file, one file per group of rules, and
// what they share: the file's view, the run's options and the findings.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/process_file_view.h"
#include "finding.h"
#include "items/keys.h"
#include "lint_folder.h"
#include "text/codepage.h"

namespace mfgtool::lint {

enum class FileRole { mfgProc, drvProc, drvCofg, softProc };

class FileCheck {
public:
    FileCheck(FileRole role, std::string_view bytes, std::string shownAs,
              const LintOptions& options);

    const FileRole role;
    const std::string_view bytes;
    const std::string shownAs;
    const LintOptions& options;
    const mfg::text::CodePage cp;
    const ProcessFileView view;
    std::vector<Finding> findings;
    std::vector<std::string> disabledHere;  // by the file's own comments

    void report(std::uint64_t line, std::uint64_t column, const char* rule, std::string message,
                std::string hint, std::optional<Severity> severity = std::nullopt);

    // The files whose entries carry a GROUP and whose group sections hold
    // the list's settings.
    bool hasGroups() const { return role == FileRole::mfgProc || role == FileRole::softProc; }
    const KeyLine* key(const SectionView& section, mfg::items::Key k) const;
    std::string value(const SectionView& section, mfg::items::Key k) const;
    bool isSoftware(const SectionView& section) const;
    // Some run of the library can list this section.
    bool isListable(const SectionView& section) const;
    // The keys that name the entry's program for each Windows the run asks
    // for: EXEPATH in a process file, EXEPATH (XP) or EXEPATHVISTA32 (Vista)
    // on the CD-ROM.
    std::vector<mfg::items::Key> programKeys() const;
};

void checkEncoding(FileCheck& check);
void checkKeys(FileCheck& check);
void checkValues(FileCheck& check);
void checkSelection(FileCheck& check);
void checkCdromOrder(FileCheck& check);
void checkMedia(FileCheck& check);

// The candidate nearest to `word` (ASCII case ignored) when it is near
// enough to be a misspelling of it; "" otherwise.
std::string closestName(std::string_view word, const std::vector<std::string>& candidates);

// "[NAME]" as findings show a section.
std::string sectionLabel(const SectionView& section);

}  // namespace mfgtool::lint
