// The list's global settings: read from the group section of the process
// file the run walks next, their paths expanded, written as SYSTEM.
#include <memory>
#include <new>
#include <string>

#include "items/fixed_field.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "output/systeminfo.h"
#include "platform/platform.h"
#include "text/mbstring.h"

namespace mfg {

namespace {

constexpr char kSystemTrace[] = "<READ SYSTEM>: ";
constexpr char kDebugOn[] = "TRUE";
// Large enough that a value longer than its field arrives whole, so that
// the cut to the field is ours: traced, and never inside a character.
constexpr std::size_t kSettingBufferSize = 4096;

const char* keyName(int index) { return MFG_KEY_NAMES[index]; }

}  // namespace

int CMfgList::ReadSystemInfo() {
    std::unique_ptr<SYSTEMINFO> settings(new (std::nothrow) SYSTEMINFO());
    if (!settings) return 0;
    const text::CodePage cp = text::CodePage::active();
    const FieldOrigin origin{kSystemTrace, groupName, cp};

    // A run without a group or a process file (an empty command line) has
    // no settings to read; the SYSTEM section still goes out, empty.
    const bool readable = !groupName.empty() && !procFile.empty();
    const auto setting = [&](int key) {
        return readable ? platform::readProfileString(groupName, keyName(key), "",
                                                      kSettingBufferSize, procFile)
                        : std::string();
    };
    const auto put = [&](auto& field, int key) {
        putField(field, setting(key), keyName(key), origin);
    };

    put(settings->logFile, MFGKEY_LOG_FILE);
    // The other settings serve the factory line only (-F).
    if (callFactory == 1) {
        put(settings->languageId, MFGKEY_LANGUAGEID);
        put(settings->hotKey, MFGKEY_HOTKEY);
        settings->debug = text::toUpperAscii(setting(MFGKEY_DEBUG), cp) == kDebugOn ? 1 : 0;
        put(settings->runBeginTest, MFGKEY_RUN_BEGINTEST);
        put(settings->runEndTest, MFGKEY_RUN_ENDTEST);
    }
    ExpandSystemPaths(settings.get());
    WriteSection(kWriteSystemForm, settings.get(), nullptr);
    return 1;
}

int CMfgList::ExpandSystemPaths(SYSTEMINFO* settings) {
    if (!settings) return 0;
    const text::CodePage cp = text::CodePage::active();
    const FieldOrigin origin{kSystemTrace, groupName, cp};
    const auto expand = [&](auto& field, int key) {
        putField(field, ExpandMacros(std::string(fieldText(field)), cp), keyName(key), origin);
    };
    expand(settings->logFile, MFGKEY_LOG_FILE);
    expand(settings->runBeginTest, MFGKEY_RUN_BEGINTEST);
    expand(settings->runEndTest, MFGKEY_RUN_ENDTEST);
    return 1;
}

}  // namespace mfg
