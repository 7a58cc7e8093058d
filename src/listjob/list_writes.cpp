// The list object's writes: SYSTEM, entry sections and COUNT go to the list
// file of the request that runs them; called on their own, each opens and
// commits the list file itself.
#include <string>

#include "listjob/list_file_session.h"
#include "listjob/mfg_list.h"
#include "output/section_writer.h"

namespace mfg {

int CMfgList::WriteSection(int form, const SYSTEMINFO* settings, const ITEMINFO* entry) {
    listjob::ListFileSession session(request.outputPath);
    return WriteSection(session.file(), form, settings, entry);
}

int CMfgList::WriteSection(output::ListFile& file, int form, const SYSTEMINFO* settings,
                           const ITEMINFO* entry) {
    if (request.outputPath.empty()) return 0;
    if (form == kWriteSystemForm) {
        output::writeSystemSection(file, request.entriesWritten, settings);
        return 1;
    }
    if (!entry) return 1;
    output::writeEntrySection(file, std::to_string(request.entriesWritten), *entry,
                              startUp.osVariant, output::EntryForm::asYouGo);
    return 1;
}

int CMfgList::WriteCount() {
    listjob::ListFileSession session(request.outputPath);
    return WriteCount(session.file());
}

int CMfgList::WriteCount(output::ListFile& file) {
    if (request.outputPath.empty()) return 0;
    output::writeCount(file, request.entriesWritten);
    return 1;
}

int CMfgList::WriteDriverList() {
    listjob::ListFileSession session(request.outputPath);
    return WriteDriverList(session.file());
}

int CMfgList::WriteDriverList(output::ListFile& file) {
    // A CD-ROM run that found no driver leaves the list file as it was.
    if (request.outputPath.empty() || request.driverList.empty()) return 0;
    const std::size_t count = request.driverList.size();
    output::writeDriverListSystemSection(file, static_cast<std::int32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        // An empty position keeps its number: the host sees a gap, not a
        // renumbered list.
        if (!request.driverList[i]) continue;
        output::writeEntrySection(file, std::to_string(i), *request.driverList[i],
                                  startUp.osVariant, output::EntryForm::driverList);
    }
    return 1;
}

}  // namespace mfg
