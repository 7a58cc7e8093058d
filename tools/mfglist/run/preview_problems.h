// What is wrong with a previewed list beyond what the list file shows a
// host: entries whose program cannot run as written, a CD-ROM file of the
// list kind that the media lacks, an IDs file without IDs, a process file
// the library cannot read.
#pragma once

#include <string>
#include <vector>

#include "list/install_list.h"
#include "plan.h"
#include "scratch_run.h"

namespace mfgtool {

struct PreviewProblems {
    std::vector<std::string> problems;  // one line each, UTF-8
    std::vector<bool> brokenEntries;    // by list position
    // Why each broken entry's program cannot run as the list names it,
    // UTF-8, by list position; "" for an entry that can run.
    std::vector<std::string> entryProblems;
    std::vector<std::string> missingFiles;   // CD-ROM files of the list kind not on the media
    std::vector<std::string> unusableFiles;  // process files the library cannot read, said why
};

PreviewProblems findPreviewProblems(const Plan& plan, const InstallList& list,
                                    const std::string& windows);

// A process file the library cannot read is why the list is missing, said
// in preview's words; a run that failed keeps the library's own reason.
void nameUnusableFiles(LibraryRun& run, const PreviewProblems& problems);

// What a run comes to once preview's findings stand beside it: as
// verdictOf, and a list written without a CD-ROM file of its kind is
// "incomplete", status 6 unless `allowMissing`.
RunVerdict previewVerdict(const LibraryRun& run, const PreviewProblems& problems, bool allowEmpty,
                          bool allowMissing);

}  // namespace mfgtool
