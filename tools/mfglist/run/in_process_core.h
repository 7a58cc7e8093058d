// The library's core linked into this program, called through the same three
// exports a factory host calls, with a decision observer attached to the
// list object between MFG_InitMfgList and the create call.  The scratch run
// (scratch_run.h) then puts its machine in place for this program itself, so
// the core sees the same drives, folders and Windows as the loaded library.
#pragma once

#include <memory>

#include "library.h"

namespace mfg::listjob {
class DecisionObserver;
}

namespace mfgtool {

// How a report names the in-process core where it names a library file.
inline const char* const kInProcessCoreName = "(the core linked into mfglist)";

// This program as a module (its own handle), for the machine to publish to.
std::unique_ptr<DynamicModule> ownModule();

// Whether a run through the core may trace.  A run whose trace nobody reads
// (`none`) also leaves no section files: it only gathers the observer's
// decisions, and costs a few thousand fewer file calls.
enum class CoreTrace { asTheLibraryDoes, none };

// The in-process core as a ListLibrary; `observer` is told every decision of
// the runs made through it and must outlive them.
ListLibrary inProcessCore(mfg::listjob::DecisionObserver& observer,
                          CoreTrace trace = CoreTrace::asTheLibraryDoes);

}  // namespace mfgtool
