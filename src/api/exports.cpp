// The three exported functions and the one list object they share.
//
// The host calls them one at a time on one thread, so the pointer is not
// locked.  No C++ exception may reach the host: every export catches them
// all, traces and still returns 1, since the host never learns of failures
// other than through the list file and the trace log.
// Gives the three definitions default visibility on the POSIX build, where
// everything else is hidden; set before the public header is first read.
#define MFGLIST_BUILDING_LIBRARY

#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "api/current_list.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "trace/trace_log.h"

namespace mfg {

namespace {

std::unique_ptr<CMfgList> g_list;

// Null texts from the host are read as empty ones, and the log says so.
std::string hostText(const char* value, const char* what) {
    if (value) return value;
    TraceLog("===== NULL %s FROM HOST, TAKEN AS EMPTY", what);
    return std::string();
}

// The host's IDs as `count` non-null texts.  No array at all gives no IDs;
// a null ID inside the array is an empty one, so the positions stay.
std::vector<const char*> hostIds(int count, const char* const* ids) {
    std::vector<const char*> out;
    if (count <= 0) return out;
    if (!ids) {
        TraceLog("===== NULL ID ARRAY FROM HOST FOR %d IDS, NO IDS TAKEN", count);
        return out;
    }
    out.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        if (!ids[i]) TraceLog("===== NULL ID AT INDEX %d FROM HOST, TAKEN AS EMPTY", i);
        out.push_back(ids[i] ? ids[i] : "");
    }
    return out;
}

// A create call ends the list run whatever happens inside it: the reader
// and the records are released and the object goes.
template <typename Request>
void finishListRun(Request request) {
    std::unique_ptr<CMfgList> list = std::move(g_list);
    if (!list) return;
    try {
        request(*list);
    } catch (const std::exception& e) {
        TraceLog("===== LIST REQUEST FAILED: %s", e.what());
    } catch (...) {
        TraceLog("===== LIST REQUEST FAILED");
    }
    try {
        list->FreeItems();
    } catch (...) {
        TraceLog("===== RELEASING THE LIST RUN FAILED");
    }
}

}  // namespace

CMfgList* currentList() { return g_list.get(); }

}  // namespace mfg

extern "C" {

int MFGLIST_CALL MFG_InitMfgList(int listKind, const char* commandLine, int driveNumber) {
    using namespace mfg;
    // A list object still held is never used again; it holds no records
    // outside a create call, so it can go at once.
    g_list.reset();
    try {
        const std::string line = hostText(commandLine, "COMMAND LINE");
        g_list = std::make_unique<CMfgList>(listKind, line.c_str(), driveNumber);
    } catch (const std::exception& e) {
        g_list.reset();
        TraceLog("===== CANNOT CREATE THE LIST OBJECT: %s", e.what());
    } catch (...) {
        g_list.reset();
        TraceLog("===== CANNOT CREATE THE LIST OBJECT");
    }
    return 1;
}

int MFGLIST_CALL MFG_CreateIniFile(int idCount, const char* const* ids, const char* outputPath) {
    using namespace mfg;
    finishListRun([&](CMfgList& list) {
        const std::vector<const char*> safeIds = hostIds(idCount, ids);
        list.CreateIniFile(static_cast<int>(safeIds.size()), safeIds.data(),
                           hostText(outputPath, "OUTPUT PATH"));
    });
    return 1;
}

int MFGLIST_CALL MFG_CreateAllSoftIniFile(const char* outputPath) {
    using namespace mfg;
    finishListRun(
        [&](CMfgList& list) { list.CreateAllSoftIniFile(hostText(outputPath, "OUTPUT PATH")); });
    return 1;
}

}  // extern "C"
