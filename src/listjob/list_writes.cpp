// The list object's writes: SYSTEM, entry sections and COUNT go to the list
// file open for the create call; outside one, each operation opens and
// commits the list file itself.
#include <string>

#include "listjob/list_file_session.h"
#include "listjob/mfg_list.h"
#include "output/section_writer.h"

namespace mfg {

int CMfgList::WriteSection(int form, const SYSTEMINFO* settings, const ITEMINFO* entry) {
    if (outputPath.empty()) return 0;
    listjob::ListFileSession session(*this);
    if (form == kWriteSystemForm) {
        output::writeSystemSection(*listFile, entriesWritten, settings);
        return 1;
    }
    if (!entry) return 1;
    output::writeEntrySection(*listFile, std::to_string(entriesWritten), *entry, osVariant,
                              output::EntryForm::asYouGo);
    return 1;
}

int CMfgList::WriteCount() {
    if (outputPath.empty()) return 0;
    listjob::ListFileSession session(*this);
    output::writeCount(*listFile, entriesWritten);
    return 1;
}

int CMfgList::WriteDriverList() {
    // A CD-ROM run that found no driver leaves the list file as it was.
    if (outputPath.empty() || driverList.empty()) return 0;
    listjob::ListFileSession session(*this);
    const std::size_t count = driverList.size();
    output::writeDriverListSystemSection(*listFile, static_cast<std::int32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        // An empty position keeps its number: the host sees a gap, not a
        // renumbered list.
        if (!driverList[i]) continue;
        output::writeEntrySection(*listFile, std::to_string(i), *driverList[i], osVariant,
                                  output::EntryForm::driverList);
    }
    return 1;
}

}  // namespace mfg
