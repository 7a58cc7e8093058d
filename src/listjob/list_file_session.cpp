#include "listjob/list_file_session.h"

#include <exception>
#include <utility>

#include "trace/trace_log.h"

namespace mfg::listjob {

ListFileSession::ListFileSession(std::string path)
    : file_(std::move(path)), exceptionsOnEntry_(std::uncaught_exceptions()) {}

ListFileSession::~ListFileSession() {
    if (std::uncaught_exceptions() != exceptionsOnEntry_) return;
    try {
        file_.commit();
    } catch (...) {
        TraceLog("********** CANNOT WRITE LIST FILE = %s (NOT ENOUGH MEMORY)",
                 file_.path().c_str());
    }
}

}  // namespace mfg::listjob
