// The two list requests and the write-as-you-go flows.  A request picks the
// process file from the mode and the list kind, writes SYSTEM from its group
// section, then walks it and writes every selected entry at once as the next
// numbered section, COUNT following each one.  The list file is committed
// once, when the request ends (output/list_file.h).
#include <memory>
#include <optional>
#include <string>

#include "items/iteminfo.h"
#include "listjob/cdrom_files.h"
#include "listjob/decision_observer.h"
#include "listjob/list_file_session.h"
#include "listjob/mfg_list.h"
#include "listjob/section_seen.h"
#include "mfglist/mfglist.h"
#include "platform/platform.h"
#include "reader/parse_ini_file.h"
#include "text/mbstring.h"
#include "trace/trace_log.h"

namespace mfg {

namespace {

// One walk over the process file at procFile: every section that `selected`
// accepts becomes the next entry section.  The record lives only while its
// section is handled.  `selected` takes the section as the observer names
// it, null when nobody observes.
template <typename Selected>
int writeSelectedEntries(CMfgList& list, output::ListFile& file, CParseIniFile* reader,
                         Selected selected) {
    if (!reader) {
        TraceLog("********** CANNOT OPEN MFGFILE = %s", list.startUp.procFile.c_str());
        return 0;
    }
    if (list.openProcessFile(file, *reader) != 1) return 0;
    list.request.entriesWritten = 0;
    listjob::DecisionObserver* const observer = list.decisionObserver;
    for (int found = reader->FirstSection(); found == 1; found = reader->NextSection()) {
        std::optional<listjob::SectionSeen> seen;
        const listjob::SectionAt* at = listjob::reachSection(observer, *reader, seen);
        if (!selected(*reader, at)) continue;
        auto item = std::make_unique<ITEMINFO>();
        if (list.ReadItem(item.get(), *reader) != 1) continue;
        list.WriteSection(file, kWriteEntryForm, nullptr, item.get());
        if (at) observer->entryWritten(*at, list.request.entriesWritten);
        ++list.request.entriesWritten;
        list.WriteCount(file);
    }
    list.endProcessFileWalk(file, *reader);
    return 1;
}

// For the length of one create call the list object keeps what the machine
// answers once and cannot change within the call.
class RunValuesHeld {
public:
    explicit RunValuesHeld(CMfgList& list) : list_(list) { list_.request.holdsRunValues = true; }
    ~RunValuesHeld() {
        list_.request.holdsRunValues = false;
        list_.request.windowsDir.reset();
        list_.request.hostIds.reset();
    }
    RunValuesHeld(const RunValuesHeld&) = delete;
    RunValuesHeld& operator=(const RunValuesHeld&) = delete;

private:
    CMfgList& list_;
    platform::RunSettingsHeld machineSettings_;
};

// Starts the list with SYSTEM, from the group section of the file the walk
// reads next.  False when that file is there but cannot be read whole: the
// list run has failed, no entry is walked, and the list file stays as it was.
bool startList(CMfgList& list, output::ListFile& file) {
    list.ReadSystemInfo(file);
    return !file.abandoned();
}

}  // namespace

int CMfgList::CreateIniFile(int idCount, const char* const* ids, const std::string& path) {
    if (!ids) idCount = 0;
    // Held from the first message: the trace then checks its flag file
    // through the run's kept paths, one ID after another.
    const RunValuesHeld runValues(*this);
    for (int i = 0; i < idCount; ++i) TraceLog("======= MYHARDID = %s ", ids[i] ? ids[i] : "");
    request.outputPath = std::string(text::trimAsciiSpace(path));
    listjob::ListFileSession session(request.outputPath);
    // The library's one reader walks every process file of the run.
    CParseIniFile* reader = CParseIniFile::GetInstance();

    const auto writeAsYouGo = [&] {
        TraceLog("MFGFILE = %s", startUp.procFile.c_str());
        if (startList(*this, session.file()))
            WriteMatchedItems(session.file(), reader, idCount, ids);
    };
    if (startUp.cdRom == 0) {
        writeAsYouGo();
    } else if (startUp.listKind == MFG_LIST_DRIVER) {
        CreateCdRomDriverList(session.file(), reader, idCount, ids);
    } else if (startUp.listKind == MFG_LIST_SOFTWARE) {
        startUp.procFile =
            cdRomProcessFile(startUp.procDir, kSoftwareProcessFile, text::CodePage::active());
        writeAsYouGo();
    }
    return 1;
}

int CMfgList::CreateAllSoftIniFile(const std::string& path) {
    request.outputPath = std::string(text::trimAsciiSpace(path));
    const RunValuesHeld runValues(*this);
    listjob::ListFileSession session(request.outputPath);
    CParseIniFile* reader = CParseIniFile::GetInstance();
    if (startUp.cdRom != 0)
        startUp.procFile =
            cdRomProcessFile(startUp.procDir, kSoftwareProcessFile, text::CodePage::active());
    if (!startList(*this, session.file())) return 0;
    return BuildSoftList(session.file(), reader);
}

int CMfgList::WriteMatchedItems(output::ListFile& file, CParseIniFile* reader, int idCount,
                                const char* const* ids) {
    // A driver list of a factory group takes every driver of the group: the
    // factory image is built for this machine, so no ID is asked.
    return writeSelectedEntries(
        *this, file, reader, [&](CParseIniFile& section, const listjob::SectionAt* at) {
            return passesType(section, at) && passesGroup(section, at) &&
                   (startUp.listKind != MFG_LIST_SOFTWARE || passesId(section, idCount, ids, at));
        });
}

int CMfgList::BuildSoftList(output::ListFile& file, CParseIniFile* reader) {
    if (startUp.listKind != MFG_LIST_SOFTWARE) {
        TraceLog("********** NOT A SOFTWARE LIST ,NO ENTRY WRITTEN : LIST KIND = %d",
                 static_cast<int>(startUp.listKind));
        return 0;
    }
    return writeSelectedEntries(*this, file, reader,
                                [&](CParseIniFile& section, const listjob::SectionAt* at) {
                                    return passesType(section, at) && passesGroup(section, at);
                                });
}

}  // namespace mfg
