// The CD-ROM media's driver list.  The media serves every machine model, so
// its drivers are picked by the machine's hardware IDs (DrvProc.ini), put in
// install order with one driver per device, and followed by the drivers that
// every machine gets (DrvCofg.ini) in the order the media's author wrote
// them.  The list is written once, at the end, because the order is only
// known when every matched driver has been seen.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "items/iteminfo.h"
#include "listjob/cdrom_files.h"
#include "listjob/list_file_session.h"
#include "listjob/mfg_list.h"
#include "reader/parse_ini_file.h"
#include "trace/trace_log.h"

namespace mfg {

namespace {

// One walk over the file at procFile: every section that `select` passes is
// read into a fresh zero-filled record and handed to `take`, which owns it
// from then on.  A record that cannot be read goes at once.
template <typename Select, typename Take>
int collectDrivers(CMfgList& list, CParseIniFile* reader, Select select, Take take) {
    // Either file may be missing from a media (one without per-model or
    // without common drivers); the list is then made of the other one.
    if (!reader) {
        TraceLog("********** CANNOT OPEN MFGFILE = %s", list.procFile.c_str());
        return 0;
    }
    if (list.openProcessFile(*reader) != 1) return 0;
    for (int more = reader->FirstSection(); more == 1; more = reader->NextSection()) {
        if (!select(*reader)) continue;
        auto item = std::make_unique<ITEMINFO>();
        if (list.ReadItem(item.get(), *reader) == 1) take(std::move(item));
    }
    return list.endProcessFileWalk(*reader);
}

}  // namespace

int CMfgList::CreateCdRomDriverList(CParseIniFile* reader, int idCount, const char* const* ids) {
    // One list file for both walks, so that a failed read of either leaves
    // it as it was.
    ListFileSession session(*this);
    const text::CodePage cp = text::CodePage::active();
    procFile = cdRomProcessFile(procDir, kMatchedDriversFile, cp);
    TraceLog("MFGFILE = %s", procFile.c_str());
    CollectMatchedDrivers(reader, idCount, ids);
    if (listAbandoned()) return 0;

    procFile = cdRomProcessFile(procDir, kConfigDriversFile, cp);
    TraceLog("MFGFILE = %s", procFile.c_str());
    CollectConfigDrivers(reader);
    if (listAbandoned()) return 0;

    return WriteDriverList();
}

int CMfgList::CollectMatchedDrivers(CParseIniFile* reader, int idCount, const char* const* ids) {
    if (idCount > 0 && !ids) {
        TraceLog("===== NULL ID ARRAY FOR %d IDS, NO IDS TAKEN", idCount);
        idCount = 0;
    }
    // No group filter: the media's drivers belong to whatever machine the
    // hardware IDs say it is.
    return collectDrivers(
        *this, reader,
        [&](CParseIniFile& section) {
            return IsTypeMatch(section) != 0 && IsIdMatch(section, idCount, ids) == 1;
        },
        [this](std::unique_ptr<ITEMINFO> item) { AddDriverItem(std::move(item)); });
}

int CMfgList::CollectConfigDrivers(CParseIniFile* reader) {
    // Every machine gets these, after the matched drivers and in file order:
    // no ID filter, no ranking, no duplicate test.
    return collectDrivers(
        *this, reader, [this](CParseIniFile& section) { return IsTypeMatch(section) != 0; },
        [this](std::unique_ptr<ITEMINFO> item) { driverList.push_back(std::move(item)); });
}

}  // namespace mfg
