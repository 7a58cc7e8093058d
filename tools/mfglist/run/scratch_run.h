// The run itself: a scratch folder of this run, the library's machine built
// in it (machine.h), the factory call made from the plan, and what came
// back: the list, the library's trace of the run, and why no list was
// written when none was.  Nothing of the run stays on the machine but the
// list at --output, which replaces the file there only when the run wrote
// one and did not fail.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/stop_signals.h"
#include "library.h"
#include "list/install_list.h"
#include "machine.h"
#include "plan.h"

namespace mfgtool {

// A fresh folder of this run, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Throws RunError naming the scratch folder when it has no room for a
    // small run or cannot be written.
    void requireRoom() const;

private:
    std::filesystem::path base_;
    std::filesystem::path path_;
    std::unique_ptr<RemovedIfStopped> removedIfStopped_;
};

struct LibraryRun {
    std::string commandLine;           // as passed to MFG_InitMfgList
    std::string folderForLibrary;      // the previewed folder as the library names it
    std::string listFolderForLibrary;  // the list file's folder as the library names it
    std::string group;
    Windows windows = Windows::xp;
    InstallList list;
    std::string listBytes;              // the list file as written, "" when none (or only compared)
    bool sameAsCompared = false;        // with RunNeeds::compareWith: the list is those bytes
    std::vector<std::string> trace;     // this run's lines of the library's trace log
    std::optional<std::string> noList;  // why the list is missing or empty
    bool empty = false;                 // no entries, and nothing worse (--allow-empty accepts it)
    bool failed = false;                // the library traced a failed run; noList says why
    // What the trace says went wrong in a run that did not fail (it explains
    // a list without entries).
    std::optional<std::string> tracedReason;
    std::vector<std::string> notes;
};

// What a run comes to for a command that shows it: the exit status and the
// JSON status ("ok", "empty", "no-list", "failed").  A failed run fails
// even with --allow-empty.
struct RunVerdict {
    int status;
    const char* label;
};
RunVerdict verdictOf(const LibraryRun& run, bool allowEmpty);

// The line on standard error for a run whose verdict is not ok ("" for an
// ok one); `folder` is the previewed folder that "<folder>" stands for.
std::string verdictLine(const LibraryRun& run, const RunVerdict& verdict,
                        const std::string& folder);

// What a caller needs of a run beyond its list's bytes.  A traced run costs
// the library a check of its flag file and a write to its log for every
// message, several times the untraced run on a large list: a run whose list
// is checked against a traced one (preview's sources, matrix's fates) is
// not traced.
struct RunNeeds {
    bool trace = true;       // the library traces into the scratch machine
    bool parsedList = true;  // `list` read from the bytes (else only `written`)
    // Every line of the trace kept in `trace`, to be shown; else only the
    // lines that name a problem, which explain a missing list just as well.
    bool traceLines = true;
    // When set, the list is only compared with these bytes (sameAsCompared),
    // never held or parsed: a second run's list is as large as the first's.
    const std::string* compareWith = nullptr;
};

// For a run made without `parsedList`: parses the list's bytes into `list`
// and, when the written list has no entries, says why in `noList`, as a run
// made with it does.
void takeParsedList(LibraryRun& run);

// With `needs.trace` a missing list is explained from the library's trace
// (the lines are shown only when asked for); without it the reason is the
// general one.
LibraryRun runInScratchMachine(const Plan& plan, const ListLibrary& library, RunNeeds needs = {});

}  // namespace mfgtool
