// The list object's writes: SYSTEM, entry sections and COUNT go to the list
// file of the request that runs them; called on their own, each opens and
// commits the list file itself.
#include <string>

#include "listjob/list_file_session.h"
#include "listjob/mfg_list.h"
#include "output/section_writer.h"

namespace mfg {

int CMfgList::WriteSection(int form, const SYSTEMINFO* settings, const ITEMINFO* entry) {
    listjob::ListFileSession session(outputPath);
    return WriteSection(session.file(), form, settings, entry);
}

int CMfgList::WriteSection(output::ListFile& file, int form, const SYSTEMINFO* settings,
                           const ITEMINFO* entry) {
    if (outputPath.empty()) return 0;
    if (form == kWriteSystemForm) {
        output::writeSystemSection(file, entriesWritten, settings);
        return 1;
    }
    if (!entry) return 1;
    output::writeEntrySection(file, std::to_string(entriesWritten), *entry, osVariant,
                              output::EntryForm::asYouGo);
    return 1;
}

int CMfgList::WriteCount() {
    listjob::ListFileSession session(outputPath);
    return WriteCount(session.file());
}

int CMfgList::WriteCount(output::ListFile& file) {
    if (outputPath.empty()) return 0;
    output::writeCount(file, entriesWritten);
    return 1;
}

int CMfgList::WriteDriverList() {
    listjob::ListFileSession session(outputPath);
    return WriteDriverList(session.file());
}

int CMfgList::WriteDriverList(output::ListFile& file) {
    // A CD-ROM run that found no driver leaves the list file as it was.
    if (outputPath.empty() || driverList.empty()) return 0;
    const std::size_t count = driverList.size();
    output::writeDriverListSystemSection(file, static_cast<std::int32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        // An empty position keeps its number: the host sees a gap, not a
        // renumbered list.
        if (!driverList[i]) continue;
        output::writeEntrySection(file, std::to_string(i), *driverList[i], osVariant,
                                  output::EntryForm::driverList);
    }
    return 1;
}

}  // namespace mfg
