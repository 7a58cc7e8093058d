// What the line makes of an entry section that no model lists: dead (it was
// this list's to give, and every model passed it over, for a reason), or
// never a candidate at all (another group, another list kind, SOFTWARE in a
// driver list), which is no fault of the entry.  Worked out from the core's
// journal of each model's run (run/explain_journal.h), never from the
// words explain shows.
#pragma once

#include <string>
#include <vector>

#include "run/explain_journal.h"

namespace mfgtool {

// What became of a section in one model's run.
enum class SectionOutcome {
    listed,                // in the model's list
    unwritten,             // every filter passed, but the run wrote no list
    noDevice,              // no ID of the model matched it
    shadowed,              // an entry with the same ID held its place
    replaced,              // a more specific entry (16-character HARDID) took its device
    otherGroup,            // not a candidate: another group
    otherKind,             // not a candidate: not SOFTWARE, in a software list
    softwareInDriverList,  // not a candidate: SOFTWARE, in a driver list
    notRead,               // the model's run did not read it (another kind's files)
};

SectionOutcome outcomeOf(const SectionRecord& record);

// How the worker's result names an outcome, and back; a name not known
// reads as notRead.
std::string outcomeName(SectionOutcome outcome);
SectionOutcome outcomeNamed(const std::string& name);

// Whether the section was this list's to give in that model's run.
bool isCandidate(SectionOutcome outcome);

// A row's verdict across the models, for a row no model lists.  `reason`
// is one of no-device, shadowed, replaced, no-list (dead), or other-group,
// other-kind, software-in-driver-list (not a candidate); `by` the rows (as
// FILE:LINE:SECTION) of the entries the models got instead.
struct EntryVerdict {
    bool dead = false;
    std::string reason;
    std::vector<std::string> by;
    std::string text;  // the reason in words
};

// `outcomes` and `others` one per model: the section's outcome and the row
// that stood in its way (empty when none).
EntryVerdict entryVerdict(const std::vector<SectionOutcome>& outcomes,
                          const std::vector<std::string>& others);

}  // namespace mfgtool
