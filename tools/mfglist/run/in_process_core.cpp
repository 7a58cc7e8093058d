#include "in_process_core.h"

#include "api/current_list.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "reader/parse_ini_file.h"
#include "trace/trace_log.h"

namespace mfgtool {
namespace {

mfg::listjob::DecisionObserver* g_observer = nullptr;
bool g_quiet = false;

// A quiet run through the core only gathers decisions for the observer: it
// writes no trace (its machine never has the flag raised, so only the look for
// the flag before each message goes) and no section files (nobody reads
// them).  The list it writes is the same.
class QuietRun {
public:
    QuietRun() {
        if (g_quiet) keepFiles(false);
    }
    ~QuietRun() {
        if (g_quiet) keepFiles(true);
    }
    QuietRun(const QuietRun&) = delete;
    QuietRun& operator=(const QuietRun&) = delete;

private:
    static void keepFiles(bool keep) {
        mfg::switchTraceOff(!keep);
        if (mfg::CParseIniFile* reader = mfg::CParseIniFile::GetInstance())
            reader->keepSectionFiles(keep);
    }
};

// MFG_InitMfgList, then the observer on the list object it made.
int MFGLIST_CALL initObserved(int listKind, const char* commandLine, int driveNumber) {
    const QuietRun quiet;
    const int result = MFG_InitMfgList(listKind, commandLine, driveNumber);
    if (mfg::CMfgList* list = mfg::currentList()) list->decisionObserver = g_observer;
    return result;
}

int MFGLIST_CALL createQuietly(int idCount, const char* const* ids, const char* listFile) {
    const QuietRun quiet;
    return MFG_CreateIniFile(idCount, ids, listFile);
}

int MFGLIST_CALL createAllSoftQuietly(const char* listFile) {
    const QuietRun quiet;
    return MFG_CreateAllSoftIniFile(listFile);
}

}  // namespace

ListLibrary inProcessCore(mfg::listjob::DecisionObserver& observer, CoreTrace trace) {
    g_observer = &observer;
    g_quiet = trace == CoreTrace::none;
    ListLibrary core;
    core.file = kInProcessCoreName;
    core.module = ownModule();
    core.initMfgList = &initObserved;
    core.createIniFile = &createQuietly;
    core.createAllSoftIniFile = &createAllSoftQuietly;
    return core;
}

}  // namespace mfgtool
