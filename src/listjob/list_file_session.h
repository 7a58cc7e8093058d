#pragma once

#include <memory>

#include "output/list_file.h"

namespace mfg {

class CMfgList;

namespace listjob {

// Keeps a list file open on the list object (CMfgList::listFile) for one
// create call, or for one write operation called on its own.  The outermost
// session opens the file and commits it when it ends; inner ones share it.
// A session left by an exception commits nothing, so a run that did not
// finish never replaces the list file.
class ListFileSession {
public:
    explicit ListFileSession(CMfgList& list);
    ~ListFileSession();
    ListFileSession(const ListFileSession&) = delete;
    ListFileSession& operator=(const ListFileSession&) = delete;

private:
    CMfgList& list_;
    std::unique_ptr<output::ListFile> owned_;
    int exceptionsOnEntry_ = 0;
};

}  // namespace listjob
}  // namespace mfg
