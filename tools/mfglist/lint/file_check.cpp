#include <algorithm>
#include <utility>

#include "checks.h"
#include "rules.h"
#include "text/mbstring.h"

namespace mfgtool::lint {

FileCheck::FileCheck(FileRole fileRole, std::string_view fileBytes, std::string shown,
                     const LintOptions& runOptions)
    : role(fileRole),
      bytes(fileBytes),
      shownAs(std::move(shown)),
      options(runOptions),
      cp(runOptions.codePage),
      view(viewProcessFile(fileBytes, cp)) {}

void FileCheck::report(std::uint64_t line, std::uint64_t column, const char* rule,
                       std::string message, std::string hint, std::optional<Severity> severity) {
    const Rule* known = findRule(rule);
    Finding finding;
    finding.file = shownAs;
    finding.line = std::max<std::uint64_t>(line, 1);
    finding.column = std::max<std::uint64_t>(column, 1);
    finding.severity = severity ? *severity : (known ? known->severity : Severity::warning);
    finding.rule = rule;
    finding.message = std::move(message);
    finding.hint = std::move(hint);
    findings.push_back(std::move(finding));
}

const KeyLine* FileCheck::key(const SectionView& section, mfg::items::Key k) const {
    return section.find(mfg::items::keyName(k), cp);
}

std::string FileCheck::value(const SectionView& section, mfg::items::Key k) const {
    return section.value(mfg::items::keyName(k), cp);
}

bool FileCheck::isSoftware(const SectionView& section) const {
    return mfg::text::equalsNoCase(value(section, mfg::items::Key::type), "SOFTWARE", cp);
}

bool FileCheck::isListable(const SectionView& section) const {
    switch (role) {
        case FileRole::mfgProc:
            return !value(section, mfg::items::Key::group).empty();
        case FileRole::softProc:
            return isSoftware(section) && !value(section, mfg::items::Key::group).empty();
        case FileRole::drvProc:
        case FileRole::drvCofg:
            return !isSoftware(section);
    }
    return false;
}

std::vector<mfg::items::Key> FileCheck::programKeys() const {
    if (role == FileRole::mfgProc) return {mfg::items::Key::exePath};
    if (options.windows == std::string("xp")) return {mfg::items::Key::exePath};
    if (options.windows == std::string("vista")) return {mfg::items::Key::exePathVista32};
    return {mfg::items::Key::exePath, mfg::items::Key::exePathVista32};
}

std::string sectionLabel(const SectionView& section) { return "[" + section.name + "]"; }

namespace {

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Edits (insert, delete, change, swap two neighbours) from one word to the
// other, ASCII case ignored.
std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = upper(a[i - 1]) == upper(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && upper(a[i - 1]) == upper(b[j - 2]) &&
                upper(a[i - 2]) == upper(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

}  // namespace

std::string closestName(std::string_view word, const std::vector<std::string>& candidates) {
    if (word.empty() || word.size() > 64) return {};
    std::string best;
    std::size_t bestDistance = std::max<std::size_t>(1, word.size() / 3) + 1;
    for (const std::string& candidate : candidates) {
        const std::size_t distance = editDistance(word, candidate);
        if (distance > 0 && distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace mfgtool::lint
