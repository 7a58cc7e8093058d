#include "listjob/decision_observer.h"

namespace mfg::listjob {

void HeldOrigins::remember(const ITEMINFO* entry, const SectionAt& at) {
    // One copy of each file name: a run walks two or three files.
    std::uint32_t file = 0;
    while (file < files_.size() && files_[file] != at.file) ++file;
    if (file == files_.size()) files_.emplace_back(at.file);
    origins_[entry] = Origin{file, static_cast<std::uint32_t>(at.line)};
}

SectionAt HeldOrigins::find(const ITEMINFO* entry) const {
    const auto found = origins_.find(entry);
    if (found == origins_.end() || !entry) return SectionAt{};
    return SectionAt{files_[found->second.file], items::fieldText(entry->sectionName),
                     found->second.line};
}

void HeldOrigins::clear() {
    origins_.clear();
    files_.clear();
}

}  // namespace mfg::listjob
