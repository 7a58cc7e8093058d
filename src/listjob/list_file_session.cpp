#include "listjob/list_file_session.h"

#include <exception>

#include "listjob/mfg_list.h"
#include "trace/trace_log.h"

namespace mfg::listjob {

ListFileSession::ListFileSession(CMfgList& list)
    : list_(list), exceptionsOnEntry_(std::uncaught_exceptions()) {
    if (list_.listFile) return;
    owned_ = std::make_unique<output::ListFile>(list_.outputPath);
    list_.listFile = owned_.get();
}

ListFileSession::~ListFileSession() {
    if (!owned_) return;
    list_.listFile = nullptr;
    if (std::uncaught_exceptions() != exceptionsOnEntry_) return;
    try {
        owned_->commit();
    } catch (...) {
        TraceLog("********** CANNOT WRITE LIST FILE = %s (NOT ENOUGH MEMORY)",
                 owned_->path().c_str());
    }
}

}  // namespace mfg::listjob
