// The CD-ROM media's driver list.  The media serves every machine model, so
// its drivers are picked by the machine's hardware IDs (DrvProc.ini), put in
// install order with one driver per device, and followed by the drivers that
// every machine gets (DrvCofg.ini) in the order the media's author wrote
// them.  The list is written once, at the end, because the order is only
// known when every matched driver has been seen.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "items/driver_order.h"
#include "items/fixed_field.h"
#include "items/iteminfo.h"
#include "listjob/cdrom_files.h"
#include "listjob/decision_observer.h"
#include "listjob/mfg_list.h"
#include "listjob/section_seen.h"
#include "output/list_file.h"
#include "reader/parse_ini_file.h"
#include "trace/trace_log.h"

namespace mfg {

namespace {

// One walk over the file at procFile: every section that `select` passes is
// read into a fresh zero-filled record and handed to `take`, which owns it
// from then on.  A record that cannot be read goes at once.  Both take the
// section as the observer names it, null when nobody observes.
template <typename Select, typename Take>
int collectDrivers(CMfgList& list, output::ListFile& file, CParseIniFile* reader, Select select,
                   Take take) {
    // Either file may be missing from a media (one without per-model or
    // without common drivers); the list is then made of the other one.
    if (!reader) {
        TraceLog("********** CANNOT OPEN MFGFILE = %s", list.startUp.procFile.c_str());
        return 0;
    }
    if (list.openProcessFile(file, *reader) != 1) return 0;
    listjob::DecisionObserver* const observer = list.decisionObserver;
    for (int more = reader->FirstSection(); more == 1; more = reader->NextSection()) {
        std::optional<listjob::SectionSeen> seen;
        const listjob::SectionAt* at = listjob::reachSection(observer, *reader, seen);
        if (!select(*reader, at)) continue;
        auto item = std::make_unique<ITEMINFO>();
        if (list.ReadItem(item.get(), *reader) == 1) take(std::move(item), at);
    }
    return list.endProcessFileWalk(file, *reader);
}

// AddDriverItem for a run that is observed: the same rule, with the held
// entry that decided named by where it came from.
void placeObserved(CMfgList& list, std::unique_ptr<ITEMINFO> item, const listjob::SectionAt& at) {
    listjob::DecisionObserver& observer = *list.decisionObserver;
    const text::CodePage cp = text::CodePage::active();
    const int rank = items::typeRank(items::fieldText(item->type), cp);
    const std::int32_t id = item->id;
    const items::InstallOrderOutcome outcome =
        list.request.driverIndex.place(list.request.driverList, std::move(item), cp);
    const ITEMINFO* other = outcome.refusedBy ? outcome.refusedBy : outcome.replaced.get();
    const listjob::SectionAt otherAt = observer.heldOrigins.find(other);
    if (outcome.replaced) observer.heldOrigins.forget(outcome.replaced.get());
    if (outcome.placed) observer.heldOrigins.remember(outcome.placed, at);
    observer.driverPlaced(at, outcome.placement, other ? &otherAt : nullptr, rank, id);
}

void tellDriversListed(CMfgList& list, const text::CodePage& cp) {
    listjob::DecisionObserver& observer = *list.decisionObserver;
    for (std::size_t i = 0; i < list.request.driverList.size(); ++i) {
        const ITEMINFO* entry = list.request.driverList[i].get();
        if (!entry) continue;
        observer.driverListed(observer.heldOrigins.find(entry), static_cast<int>(i),
                              items::typeRank(items::fieldText(entry->type), cp), entry->id);
    }
}

}  // namespace

int CMfgList::CreateCdRomDriverList(output::ListFile& file, CParseIniFile* reader, int idCount,
                                    const char* const* ids) {
    // One list file for both walks, so that a failed read of either leaves
    // it as it was.
    const text::CodePage cp = text::CodePage::active();
    startUp.procFile = cdRomProcessFile(startUp.procDir, kMatchedDriversFile, cp);
    TraceLog("MFGFILE = %s", startUp.procFile.c_str());
    CollectMatchedDrivers(file, reader, idCount, ids);
    if (file.abandoned()) return 0;

    startUp.procFile = cdRomProcessFile(startUp.procDir, kConfigDriversFile, cp);
    TraceLog("MFGFILE = %s", startUp.procFile.c_str());
    CollectConfigDrivers(file, reader);
    if (file.abandoned()) return 0;

    const int written = WriteDriverList(file);
    if (written == 1 && decisionObserver) tellDriversListed(*this, cp);
    return written;
}

int CMfgList::CollectMatchedDrivers(output::ListFile& file, CParseIniFile* reader, int idCount,
                                    const char* const* ids) {
    if (idCount > 0 && !ids) {
        TraceLog("===== NULL ID ARRAY FOR %d IDS, NO IDS TAKEN", idCount);
        idCount = 0;
    }
    // No group filter: the media's drivers belong to whatever machine the
    // hardware IDs say it is.
    return collectDrivers(
        *this, file, reader,
        [&](CParseIniFile& section, const listjob::SectionAt* at) {
            return passesType(section, at) && passesId(section, idCount, ids, at);
        },
        [this](std::unique_ptr<ITEMINFO> item, const listjob::SectionAt* at) {
            if (at && decisionObserver)
                placeObserved(*this, std::move(item), *at);
            else
                AddDriverItem(std::move(item));
        });
}

int CMfgList::CollectConfigDrivers(output::ListFile& file, CParseIniFile* reader) {
    // Every machine gets these, after the matched drivers and in file order:
    // no ID filter, no ranking, no duplicate test.
    return collectDrivers(
        *this, file, reader,
        [this](CParseIniFile& section, const listjob::SectionAt* at) {
            return passesType(section, at);
        },
        [this](std::unique_ptr<ITEMINFO> item, const listjob::SectionAt* at) {
            if (at && decisionObserver) {
                decisionObserver->heldOrigins.remember(item.get(), *at);
                decisionObserver->configDriverAppended(*at);
            }
            request.driverList.push_back(std::move(item));
        });
}

}  // namespace mfg
