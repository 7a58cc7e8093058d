#include "output/section_writer.h"

#include <string>
#include <string_view>

#include "items/fixed_field.h"
#include "items/keys.h"
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
    void put(int key, std::string_view value) { put(keyName(key), value); }
    void put(int key, std::int32_t value) { put(keyName(key), decimal(value)); }

private:
    ListFile& file_;
    std::string section_;
};

std::string_view chosenExePath(const ITEMINFO& entry, std::int32_t osVariant) {
    switch (osVariant) {
    case WIN_VISTA32:
        return fieldText(entry.exePathVista32);
    case WIN_VISTA64:
        return fieldText(entry.exePathVista64);
    default:
        return fieldText(entry.exePath);
    }
}

}  // namespace

void writeEntrySection(ListFile& file, std::string_view section, const ITEMINFO& entry,
                       std::int32_t osVariant, EntryForm form) {
    SectionWriter out(file, section);
    out.put(MFGKEY_GROUP, fieldText(entry.group));
    // An entry without a name is shown by its package name.  The second
    // write replaces the first in place, so NAME keeps its position.
    out.put(MFGKEY_NAME, fieldText(entry.name));
    if (fieldText(entry.name).empty()) out.put(MFGKEY_NAME, fieldText(entry.packetName));
    if (form == EntryForm::asYouGo)
        platform::debugOutput(std::string(fieldText(entry.name)).c_str());
    out.put(MFGKEY_ID, entry.id);
    out.put(MFGKEY_HARDID, fieldText(entry.hardId));
    if (form == EntryForm::asYouGo) out.put(MFGKEY_DESCRIPTION, fieldText(entry.description));
    out.put(MFGKEY_SELECTPATH, fieldText(entry.selectPath));
    out.put(MFGKEY_EXEPATH, chosenExePath(entry, osVariant));
    out.put(MFGKEY_PACKETPATH, fieldText(entry.packetPath));
    out.put(MFGKEY_PACKETNAME, fieldText(entry.packetName));
    out.put(MFGKEY_TYPE, fieldText(entry.type));
    out.put(MFGKEY_TIMEOUT, entry.timeout);
    out.put(MFGKEY_FIRST_TIMEOUT, entry.firstTimeout);
    out.put(MFGKEY_RESULTVALUE, entry.resultValue);
    out.put(MFGKEY_VERSION, fieldText(entry.version));
    out.put(MFGKEY_COMMANDLINE, fieldText(entry.commandLine));
    out.put(MFGKEY_LOGFILE, fieldText(entry.logFile));
    out.put(MFGKEY_FIRST_REBOOT_COUNT, entry.firstRebootCount);
    out.put(MFGKEY_REBOOT_COUNT, entry.rebootCount);
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
    out.put(MFGKEY_LOG_FILE, fieldText(settings->logFile));
    out.put(MFGKEY_HOTKEY, fieldText(settings->hotKey));
    out.put(MFGKEY_DEBUG, settings->debug);
    out.put(MFGKEY_LANGUAGEID, fieldText(settings->languageId));
    out.put(MFGKEY_RUN_BEGINTEST, fieldText(settings->runBeginTest));
    out.put(MFGKEY_RUN_ENDTEST, fieldText(settings->runEndTest));
    TraceLog("LOG_FILE = %s", std::string(fieldText(settings->logFile)).c_str());
    TraceLog("LANGUAGEID = %s", std::string(fieldText(settings->languageId)).c_str());
}

void writeDriverListSystemSection(ListFile& file, std::int32_t count) {
    SectionWriter system(file, kSystemSection);
    system.put(kIndexKey, "0");
    system.put(kCountKey, decimal(count));
    system.put(kInstallStatusKey, "0");
    for (int key : {MFGKEY_LOG_FILE, MFGKEY_HOTKEY, MFGKEY_DEBUG, MFGKEY_LANGUAGEID,
                    MFGKEY_RUN_BEGINTEST, MFGKEY_RUN_ENDTEST})
        system.put(key, "");
    TraceLog("LOG_FILE = NULL");
    TraceLog("LANGUAGEID = BY NORMAL");
}

void writeCount(ListFile& file, std::int32_t count) {
    file.write(kSystemSection, kCountKey, decimal(count));
}

}  // namespace mfg::output
