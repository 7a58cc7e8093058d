// The section the reader stands on, as the decision observer names it.  Made
// only when an observer is attached: a run nobody explains copies nothing.
#pragma once

#include <string>

#include "listjob/decision_observer.h"
#include "reader/parse_ini_file.h"

namespace mfg::listjob {

class SectionSeen {
public:
    explicit SectionSeen(const CParseIniFile& reader)
        : name_(reader.GetSectionName()),
          at_{reader.GetProcessFilePath(), name_, reader.GetSectionLine()} {}
    SectionSeen(const SectionSeen&) = delete;
    SectionSeen& operator=(const SectionSeen&) = delete;

    const SectionAt& at() const { return at_; }

private:
    std::string name_;
    SectionAt at_;
};

}  // namespace mfg::listjob
