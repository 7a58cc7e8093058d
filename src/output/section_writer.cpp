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
    void put(Key key, std::string_view value) { put(keyName(key), value); }
    void put(Key key, std::int32_t value) { put(keyName(key), decimal(value)); }

private:
    ListFile& file_;
    std::string section_;
};

std::string_view chosenExePath(const ITEMINFO& entry, std::int32_t osVariant) {
    switch (osVariant) {
    case MFG_WIN_VISTA32:
        return fieldText(entry.exePathVista32);
    case MFG_WIN_VISTA64:
        return fieldText(entry.exePathVista64);
    default:
        return fieldText(entry.exePath);
    }
}

}  // namespace

void writeEntrySection(ListFile& file, std::string_view section, const ITEMINFO& entry,
                       std::int32_t osVariant, EntryForm form) {
    SectionWriter out(file, section);
    out.put(Key::group, fieldText(entry.group));
    // An entry without a name is shown by its package name.  The second
    // write replaces the first in place, so NAME keeps its position.
    out.put(Key::name, fieldText(entry.name));
    if (fieldText(entry.name).empty()) out.put(Key::name, fieldText(entry.packetName));
    if (form == EntryForm::asYouGo)
        platform::debugOutput(std::string(fieldText(entry.name)).c_str());
    out.put(Key::id, entry.id);
    out.put(Key::hardId, fieldText(entry.hardId));
    if (form == EntryForm::asYouGo) out.put(Key::description, fieldText(entry.description));
    out.put(Key::selectPath, fieldText(entry.selectPath));
    out.put(Key::exePath, chosenExePath(entry, osVariant));
    out.put(Key::packetPath, fieldText(entry.packetPath));
    out.put(Key::packetName, fieldText(entry.packetName));
    out.put(Key::type, fieldText(entry.type));
    out.put(Key::timeout, entry.timeout);
    out.put(Key::firstTimeout, entry.firstTimeout);
    out.put(Key::resultValue, entry.resultValue);
    out.put(Key::version, fieldText(entry.version));
    out.put(Key::commandLine, fieldText(entry.commandLine));
    out.put(Key::entryLogFile, fieldText(entry.logFile));
    out.put(Key::firstRebootCount, entry.firstRebootCount);
    out.put(Key::rebootCount, entry.rebootCount);
    out.put(kReadyInstallKey, "0");
    TraceLog("********** WRITE TO FILE = %s", std::string(fieldText(entry.name)).c_str());
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
    out.put(Key::logFile, fieldText(settings->logFile));
    out.put(Key::hotKey, fieldText(settings->hotKey));
    out.put(Key::debug, settings->debug);
    out.put(Key::languageId, fieldText(settings->languageId));
    out.put(Key::runBeginTest, fieldText(settings->runBeginTest));
    out.put(Key::runEndTest, fieldText(settings->runEndTest));
    TraceLog("LOG_FILE = %s", std::string(fieldText(settings->logFile)).c_str());
    TraceLog("LANGUAGEID = %s", std::string(fieldText(settings->languageId)).c_str());
}

void writeDriverListSystemSection(ListFile& file, std::int32_t count) {
    SectionWriter system(file, kSystemSection);
    system.put(kIndexKey, "0");
    system.put(kCountKey, decimal(count));
    system.put(kInstallStatusKey, "0");
    for (Key key : {Key::logFile, Key::hotKey, Key::debug, Key::languageId,
                    Key::runBeginTest, Key::runEndTest})
        system.put(key, "");
    TraceLog("LOG_FILE = NULL");
    TraceLog("LANGUAGEID = BY NORMAL");
}

void writeCount(ListFile& file, std::int32_t count) {
    file.write(kSystemSection, kCountKey, decimal(count));
}

}  // namespace mfg::output
