#include "in_process_core.h"

#include "api/current_list.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"

namespace mfgtool {
namespace {

mfg::listjob::DecisionObserver* g_observer = nullptr;

// MFG_InitMfgList, then the observer on the list object it made.
int MFGLIST_CALL initObserved(int listKind, const char* commandLine, int driveNumber) {
    const int result = MFG_InitMfgList(listKind, commandLine, driveNumber);
    if (mfg::CMfgList* list = mfg::CurrentListForTesting()) list->decisionObserver = g_observer;
    return result;
}

}  // namespace

ListLibrary inProcessCore(mfg::listjob::DecisionObserver& observer) {
    g_observer = &observer;
    ListLibrary core;
    core.file = kInProcessCoreName;
    core.module = ownModule();
    core.initMfgList = &initObserved;
    core.createIniFile = &MFG_CreateIniFile;
    core.createAllSoftIniFile = &MFG_CreateAllSoftIniFile;
    return core;
}

}  // namespace mfgtool
