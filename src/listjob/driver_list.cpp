// The CD-ROM driver list held on the list object, in install order
// (items/driver_order.h holds the rules).
#include <utility>

#include "items/driver_order.h"
#include "listjob/mfg_list.h"

namespace mfg {

int CMfgList::GetTypeRank(std::string type) {
    return items::typeRank(type, text::CodePage::active());
}

int CMfgList::AddDriverItem(std::unique_ptr<ITEMINFO> item) {
    return AddDriverItem(std::move(item), text::CodePage::active());
}

int CMfgList::AddDriverItem(std::unique_ptr<ITEMINFO> item, const text::CodePage& cp) {
    if (!item) return 0;
    const items::InstallOrderOutcome outcome =
        request.driverIndex.place(request.driverList, std::move(item), cp);
    return outcome.placement == items::Placement::joined ? 1 : 0;
}

}  // namespace mfg
