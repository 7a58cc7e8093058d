// Path macros with this run's folders and names (items/macros.h holds the
// rule).
#include <string_view>

#include "items/keys.h"
#include "items/macros.h"
#include "listjob/mfg_list.h"
#include "platform/platform.h"

namespace mfg {

namespace {

std::string windowsDirectory(const text::CodePage& cp) {
    std::string systemDir;
    if (!platform::systemDirectory(systemDir)) return std::string();
    return items::windowsDirectoryOf(systemDir, cp);
}

}  // namespace

std::string CMfgList::ExpandMacros(std::string source) const {
    return ExpandMacros(source, text::CodePage::active());
}

std::string CMfgList::ExpandMacros(std::string_view source, const text::CodePage& cp) const {
    if (source.empty()) return std::string();
    // Within a create call the machine is asked once; outside one, each time.
    std::string askedNow;
    std::string_view windowsDir;
    if (!request.holdsRunValues) {
        askedNow = windowsDirectory(cp);
        windowsDir = askedNow;
    } else {
        if (!request.windowsDir) request.windowsDir = windowsDirectory(cp);
        windowsDir = *request.windowsDir;
    }
    return items::expandMacros(
        source,
        {startUp.workDir, startUp.procDir, request.sectionName, request.packetName, windowsDir},
        cp);
}

void CMfgList::expandField(char* field, std::size_t width, items::Key key,
                           const items::FieldOrigin& origin) const {
    const std::string_view value = text::untilNul(std::string_view(field, width));
    // Most values name no macro: the field holds what the expansion would give.
    if (!items::expansionMayChange(value)) return;
    items::putField(field, width, ExpandMacros(value, origin.codePage), items::keyName(key),
                    origin);
}

}  // namespace mfg
