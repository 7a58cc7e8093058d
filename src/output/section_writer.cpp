#include "output/section_writer.h"

#include <string>
#include <string_view>

#include "items/fixed_field.h"
#include "items/keys.h"
#include "mfglist/mfglist.h"
#include "platform/platform.h"
#include "trace/trace_log.h"

namespace mfg::output {

namespace {

constexpr char kSystemSection[] = "SYSTEM";
constexpr char kIndexKey[] = "INDEX";
constexpr char kCountKey[] = "COUNT";
constexpr char kInstallStatusKey[] = "INSTALLSTATUS";
// The host's own record of an entry installed on an earlier boot; a new
// list starts with none.
constexpr char kReadyInstallKey[] = "REDAYINSTALL";

std::string decimal(std::int32_t value) { return std::to_string(value); }

// The keys of one section, in the order they are put.
class SectionWriter {
public:
    SectionWriter(ListFile& file, std::string_view section) : file_(file), section_(section) {}
    void put(std::string_view key, std::string_view value) { file_.write(section_, key, value); }
    void put(items::Key key, std::string_view value) { put(items::keyName(key), value); }
    void put(items::Key key, std::int32_t value) { put(items::keyName(key), decimal(value)); }

private:
    ListFile& file_;
    std::string section_;
};

std::string_view chosenExePath(const ITEMINFO& entry, std::int32_t osVariant) {
    switch (osVariant) {
        case MFG_WIN_VISTA32:
            return items::fieldText(entry.exePathVista32);
        case MFG_WIN_VISTA64:
            return items::fieldText(entry.exePathVista64);
        default:
            return items::fieldText(entry.exePath);
    }
}

}  // namespace

void writeEntrySection(ListFile& file, std::string_view section, const ITEMINFO& entry,
                       std::int32_t osVariant, EntryForm form) {
    SectionWriter out(file, section);
    out.put(items::Key::group, items::fieldText(entry.group));
    // An entry without a name is shown by its package name.  The second
    // write replaces the first in place, so NAME keeps its position.
    out.put(items::Key::name, items::fieldText(entry.name));
    if (items::fieldText(entry.name).empty())
        out.put(items::Key::name, items::fieldText(entry.packetName));
    if (form == EntryForm::asYouGo)
        platform::debugOutput(std::string(items::fieldText(entry.name)).c_str());
    out.put(items::Key::id, entry.id);
    out.put(items::Key::hardId, items::fieldText(entry.hardId));
    if (form == EntryForm::asYouGo)
        out.put(items::Key::description, items::fieldText(entry.description));
    out.put(items::Key::selectPath, items::fieldText(entry.selectPath));
    out.put(items::Key::exePath, chosenExePath(entry, osVariant));
    out.put(items::Key::packetPath, items::fieldText(entry.packetPath));
    out.put(items::Key::packetName, items::fieldText(entry.packetName));
    out.put(items::Key::type, items::fieldText(entry.type));
    out.put(items::Key::timeout, entry.timeout);
    out.put(items::Key::firstTimeout, entry.firstTimeout);
    out.put(items::Key::resultValue, entry.resultValue);
    out.put(items::Key::version, items::fieldText(entry.version));
    out.put(items::Key::commandLine, items::fieldText(entry.commandLine));
    out.put(items::Key::entryLogFile, items::fieldText(entry.logFile));
    out.put(items::Key::firstRebootCount, entry.firstRebootCount);
    out.put(items::Key::rebootCount, entry.rebootCount);
    out.put(kReadyInstallKey, "0");
    TraceLog("********** WRITE TO FILE = %s", std::string(items::fieldText(entry.name)).c_str());
}

void writeSystemSection(ListFile& file, std::int32_t count, const SYSTEMINFO* settings) {
    SectionWriter out(file, kSystemSection);
    out.put(kIndexKey, "0");
    out.put(kCountKey, decimal(count));
    out.put(kInstallStatusKey, "0");
    if (!settings) {
        TraceLog("LOG_FILE = NULL");
        TraceLog("LANGUAGEID = NULL");
        return;
    }
    out.put(items::Key::logFile, items::fieldText(settings->logFile));
    out.put(items::Key::hotKey, items::fieldText(settings->hotKey));
    out.put(items::Key::debug, settings->debug);
    out.put(items::Key::languageId, items::fieldText(settings->languageId));
    out.put(items::Key::runBeginTest, items::fieldText(settings->runBeginTest));
    out.put(items::Key::runEndTest, items::fieldText(settings->runEndTest));
    TraceLog("LOG_FILE = %s", std::string(items::fieldText(settings->logFile)).c_str());
    TraceLog("LANGUAGEID = %s", std::string(items::fieldText(settings->languageId)).c_str());
}

void writeDriverListSystemSection(ListFile& file, std::int32_t count) {
    SectionWriter system(file, kSystemSection);
    system.put(kIndexKey, "0");
    system.put(kCountKey, decimal(count));
    system.put(kInstallStatusKey, "0");
    for (items::Key key :
         {items::Key::logFile, items::Key::hotKey, items::Key::debug, items::Key::languageId,
          items::Key::runBeginTest, items::Key::runEndTest})
        system.put(key, "");
    TraceLog("LOG_FILE = NULL");
    TraceLog("LANGUAGEID = BY NORMAL");
}

void writeCount(ListFile& file, std::int32_t count) {
    file.write(kSystemSection, kCountKey, decimal(count));
}

}  // namespace mfg::output
