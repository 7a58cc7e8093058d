#include "entry_verdict.h"

#include <algorithm>
#include <iterator>

namespace mfgtool {
namespace {

using mfg::items::Placement;
using mfg::listjob::LeftOut;

struct OutcomeWords {
    SectionOutcome outcome;
    const char* name;
    const char* text;  // as a verdict says it
};

const OutcomeWords kOutcomes[] = {
    {SectionOutcome::listed, "listed", "listed"},
    {SectionOutcome::unwritten, "no-list", "selected only by models whose run wrote no list"},
    {SectionOutcome::noDevice, "no-device", "no model has a matching device"},
    {SectionOutcome::shadowed, "shadowed", "shadowed"},
    {SectionOutcome::replaced, "replaced", "replaced"},
    {SectionOutcome::otherGroup, "other-group", "another group"},
    {SectionOutcome::otherKind, "other-kind",
     "another list kind: not SOFTWARE, in a software list"},
    {SectionOutcome::softwareInDriverList, "software-in-driver-list", "SOFTWARE in a driver list"},
    {SectionOutcome::notRead, "not-read", "not read"},
};

const OutcomeWords& wordsOf(SectionOutcome outcome) {
    return *std::find_if(std::begin(kOutcomes), std::end(kOutcomes),
                         [&](const OutcomeWords& w) { return w.outcome == outcome; });
}

}  // namespace

SectionOutcome outcomeOf(const SectionRecord& record) {
    switch (record.fate) {
        case Fate::listed:
            return SectionOutcome::listed;
        case Fate::passed:
            return SectionOutcome::unwritten;
        case Fate::replaced:
            return SectionOutcome::replaced;
        case Fate::refused:
            // A held 16-character entry of the device stands for this family
            // entry; the same ID held makes this one a copy in its shadow.
            return record.placement == Placement::refusedDeviceHeld ? SectionOutcome::replaced
                                                                    : SectionOutcome::shadowed;
        case Fate::leftOut:
            switch (record.leftOut) {
                case LeftOut::otherGroup:
                    return SectionOutcome::otherGroup;
                case LeftOut::softwareInDriverList:
                    return SectionOutcome::softwareInDriverList;
                case LeftOut::notSoftwareInSoftwareList:
                    return SectionOutcome::otherKind;
                case LeftOut::noIdMatched:
                    return SectionOutcome::noDevice;
            }
    }
    return SectionOutcome::notRead;
}

std::string outcomeName(SectionOutcome outcome) { return wordsOf(outcome).name; }

SectionOutcome outcomeNamed(const std::string& name) {
    for (const OutcomeWords& w : kOutcomes)
        if (name == w.name) return w.outcome;
    return SectionOutcome::notRead;
}

bool isCandidate(SectionOutcome outcome) {
    switch (outcome) {
        case SectionOutcome::listed:
        case SectionOutcome::unwritten:
        case SectionOutcome::noDevice:
        case SectionOutcome::shadowed:
        case SectionOutcome::replaced:
            return true;
        default:
            return false;
    }
}

EntryVerdict entryVerdict(const std::vector<SectionOutcome>& outcomes,
                          const std::vector<std::string>& others) {
    // Of the models that had it as a candidate, the strongest reason wins:
    // a model with the device that got another entry says more than one
    // without the device.
    const SectionOutcome strength[] = {SectionOutcome::shadowed, SectionOutcome::replaced,
                                       SectionOutcome::unwritten, SectionOutcome::noDevice};
    EntryVerdict verdict;
    for (const SectionOutcome outcome : strength) {
        if (std::find(outcomes.begin(), outcomes.end(), outcome) == outcomes.end()) continue;
        verdict.dead = true;
        verdict.reason = outcomeName(outcome);
        verdict.text = wordsOf(outcome).text;
        // Every model with the device: those shadowed or replaced alike.
        for (std::size_t m = 0; m < outcomes.size() && m < others.size(); ++m)
            if ((outcomes[m] == SectionOutcome::shadowed ||
                 outcomes[m] == SectionOutcome::replaced) &&
                !others[m].empty() &&
                std::find(verdict.by.begin(), verdict.by.end(), others[m]) == verdict.by.end())
                verdict.by.push_back(others[m]);
        std::string names;
        for (const std::string& other : verdict.by) names += (names.empty() ? "" : ", ") + other;
        if (outcome == SectionOutcome::shadowed)
            verdict.text = "shadowed by " + (names.empty() ? "another entry" : names) +
                           ", which every model with its device gets instead";
        if (outcome == SectionOutcome::replaced)
            verdict.text = "replaced by the more specific " + (names.empty() ? "entry" : names) +
                           " on every model with its device";
        return verdict;
    }
    // Never a candidate: the first model's reason that read it, and every
    // other reason the models give.
    for (const SectionOutcome outcome : outcomes) {
        if (outcome == SectionOutcome::notRead) continue;
        const std::string text = wordsOf(outcome).text;
        if (verdict.reason.empty()) verdict.reason = outcomeName(outcome);
        if (verdict.text.find(text) == std::string::npos)
            verdict.text += (verdict.text.empty() ? "" : "; ") + text;
    }
    if (verdict.reason.empty()) {
        verdict.reason = outcomeName(SectionOutcome::notRead);
        verdict.text = "no model's run read it";
    }
    return verdict;
}

}  // namespace mfgtool
