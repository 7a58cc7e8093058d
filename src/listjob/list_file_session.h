#pragma once

#include <string>

#include "output/list_file.h"

namespace mfg::listjob {

// The list file of one list request, or of one write operation called on its
// own: loaded at the first write, committed once when the session ends.  The
// request hands file() down to every flow and write it runs.  A session left
// by an exception commits nothing, so a run that did not finish never
// replaces the list file; nor does one whose process file could not be read
// whole (output::ListFile::abandon).
class ListFileSession {
public:
    explicit ListFileSession(std::string path);
    ~ListFileSession();
    ListFileSession(const ListFileSession&) = delete;
    ListFileSession& operator=(const ListFileSession&) = delete;

    output::ListFile& file() { return file_; }

private:
    output::ListFile file_;
    int exceptionsOnEntry_ = 0;
};

}  // namespace mfg::listjob
