// The list's global settings: read from the group section of the process
// file the run walks next, their paths expanded, written as SYSTEM.
#include <memory>
#include <new>
#include <string>

#include "items/fixed_field.h"
#include "items/keys.h"
#include "listjob/decision_observer.h"
#include "listjob/list_file_session.h"
#include "listjob/mfg_list.h"
#include "output/systeminfo.h"
#include "profile/profile_text.h"
#include "text/mbstring.h"

namespace mfg {

namespace {

constexpr char kSystemTrace[] = "<READ SYSTEM>: ";
constexpr char kDebugOn[] = "TRUE";

}  // namespace

int CMfgList::ReadSystemInfo() {
    listjob::ListFileSession session(request.outputPath);
    return ReadSystemInfo(session.file());
}

int CMfgList::ReadSystemInfo(output::ListFile& file) {
    std::unique_ptr<SYSTEMINFO> settings(new (std::nothrow) SYSTEMINFO());
    if (!settings) return 0;
    const text::CodePage cp = text::CodePage::active();
    const items::FieldOrigin origin{kSystemTrace, startUp.groupName, cp, decisionObserver,
                                    items::FieldOwner::settings};

    // A run without a group or a process file (an empty command line) has
    // no settings to read; the SYSTEM section still goes out, empty.  The
    // file is read once, whole, and decoded as the walk decodes it, so the
    // settings never come from part of a file or from another reading of it.
    std::string fileText;
    if (!startUp.groupName.empty() && !startUp.procFile.empty() &&
        !readProcessFileText(file, fileText))
        return 0;
    // Every value arrives whole, so that the cut to the field is ours:
    // traced, and never inside a character.
    const auto setting = [&](items::Key key) {
        std::string value = fileText.empty() ? std::string()
                                             : profile::getDecodedString(
                                                   fileText, startUp.groupName, items::keyName(key),
                                                   "", fileText.size() + 2, cp);
        if (decisionObserver)
            decisionObserver->settingRead(startUp.procFile, startUp.groupName, key, value);
        return value;
    };
    const auto put = [&](auto& field, items::Key key) {
        items::putField(field, setting(key), items::keyName(key), origin);
    };

    put(settings->logFile, items::Key::logFile);
    // The other settings serve the factory line only (-F).
    if (startUp.callFactory == 1) {
        put(settings->languageId, items::Key::languageId);
        put(settings->hotKey, items::Key::hotKey);
        settings->debug = text::toUpperAscii(setting(items::Key::debug), cp) == kDebugOn ? 1 : 0;
        put(settings->runBeginTest, items::Key::runBeginTest);
        put(settings->runEndTest, items::Key::runEndTest);
    }
    ExpandSystemPaths(settings.get());
    WriteSection(file, kWriteSystemForm, settings.get(), nullptr);
    return 1;
}

int CMfgList::ExpandSystemPaths(SYSTEMINFO* settings) {
    if (!settings) return 0;
    const text::CodePage cp = text::CodePage::active();
    const items::FieldOrigin origin{kSystemTrace, startUp.groupName, cp, decisionObserver,
                                    items::FieldOwner::settings};
    expandField(settings->logFile, items::Key::logFile, origin);
    expandField(settings->runBeginTest, items::Key::runBeginTest, origin);
    expandField(settings->runEndTest, items::Key::runEndTest, origin);
    return 1;
}

}  // namespace mfg
