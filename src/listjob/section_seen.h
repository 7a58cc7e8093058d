// The section the reader stands on, as the decision observer names it.  Made
// only when an observer is attached: a run nobody explains copies nothing.
#pragma once

#include <optional>
#include <string>

#include "listjob/decision_observer.h"
#include "reader/parse_ini_file.h"

namespace mfg::listjob {

class SectionSeen {
public:
    explicit SectionSeen(const CParseIniFile& reader)
        : name_(reader.GetSectionName()),
          at_{reader.processFilePath(), name_, reader.sectionLine()} {}
    SectionSeen(const SectionSeen&) = delete;
    SectionSeen& operator=(const SectionSeen&) = delete;

    const SectionAt& at() const { return at_; }

private:
    std::string name_;
    SectionAt at_;
};

// Tells `observer` (if any) that the walk reached the section the reader
// stands on, keeping its names in `seen` for the rest of the walk's step.
// Where the section is, as the observer's calls name it; null when nobody
// observes.
inline const SectionAt* reachSection(DecisionObserver* observer, const CParseIniFile& reader,
                                     std::optional<SectionSeen>& seen) {
    if (!observer) return nullptr;
    seen.emplace(reader);
    observer->sectionReached(seen->at());
    return &seen->at();
}

}  // namespace mfg::listjob
