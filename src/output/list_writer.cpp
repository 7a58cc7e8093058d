// The sections of the install list file.  The host reads SYSTEM for the
// list's settings and its COUNT, then the entry sections "0" to COUNT - 1 in
// install order.  Every key is written even when empty, since the host
// reads each one.
#include <string>
#include <string_view>

#include "items/fixed_field.h"
#include "items/iteminfo.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "output/list_file.h"
#include "output/systeminfo.h"
#include "platform/platform.h"
#include "trace/trace_log.h"

namespace mfg {

namespace {

constexpr char kSystemSection[] = "SYSTEM";
constexpr char kIndexKey[] = "INDEX";
constexpr char kCountKey[] = "COUNT";
constexpr char kInstallStatusKey[] = "INSTALLSTATUS";
// The host's own record of an entry installed on an earlier boot; a new
// list starts with none.
constexpr char kReadyInstallKey[] = "REDAYINSTALL";

const char* keyName(int index) { return MFG_KEY_NAMES[index]; }

std::string decimal(std::int32_t value) { return std::to_string(value); }

// Writes into the list file the list object holds open.
class SectionWriter {
public:
    SectionWriter(output::ListFile& file, std::string section)
        : file_(file), section_(std::move(section)) {}
    void put(std::string_view key, std::string_view value) { file_.write(section_, key, value); }
    void put(int key, std::string_view value) { put(keyName(key), value); }
    void put(int key, std::int32_t value) { put(keyName(key), decimal(value)); }

private:
    output::ListFile& file_;
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

enum class EntryForm { asYouGo, driverList };

void writeEntry(SectionWriter& out, const ITEMINFO& entry, std::int32_t osVariant, EntryForm form) {
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

}  // namespace

int CMfgList::WriteSection(int form, const SYSTEMINFO* settings, const ITEMINFO* entry) {
    if (outputPath.empty()) return 0;
    output::ListFileSession session(*this);
    if (form == kWriteSystemForm) {
        SectionWriter out(*listFile, kSystemSection);
        out.put(kIndexKey, "0");
        out.put(kCountKey, decimal(entriesWritten));
        out.put(kInstallStatusKey, "0");
        if (!settings) {
            TraceLog("LOG_FILE = NULL");
            TraceLog("LANGUAGEID = NULL");
            return 1;
        }
        out.put(MFGKEY_LOG_FILE, fieldText(settings->logFile));
        out.put(MFGKEY_HOTKEY, fieldText(settings->hotKey));
        out.put(MFGKEY_DEBUG, settings->debug);
        out.put(MFGKEY_LANGUAGEID, fieldText(settings->languageId));
        out.put(MFGKEY_RUN_BEGINTEST, fieldText(settings->runBeginTest));
        out.put(MFGKEY_RUN_ENDTEST, fieldText(settings->runEndTest));
        TraceLog("LOG_FILE = %s", std::string(fieldText(settings->logFile)).c_str());
        TraceLog("LANGUAGEID = %s", std::string(fieldText(settings->languageId)).c_str());
        return 1;
    }
    if (!entry) return 1;
    SectionWriter out(*listFile, decimal(entriesWritten));
    writeEntry(out, *entry, osVariant, EntryForm::asYouGo);
    return 1;
}

int CMfgList::WriteCount() {
    if (outputPath.empty()) return 0;
    output::ListFileSession session(*this);
    listFile->write(kSystemSection, kCountKey, decimal(entriesWritten));
    return 1;
}

int CMfgList::WriteDriverList() {
    // A CD-ROM run that found no driver leaves the list file as it was.
    if (outputPath.empty() || driverList.empty()) return 0;
    output::ListFileSession session(*this);
    const std::size_t count = driverList.size();
    SectionWriter system(*listFile, kSystemSection);
    system.put(kIndexKey, "0");
    system.put(kCountKey, std::to_string(count));
    system.put(kInstallStatusKey, "0");
    // Settings belong to a factory group; the CD-ROM media has none.
    for (int key : {MFGKEY_LOG_FILE, MFGKEY_HOTKEY, MFGKEY_DEBUG, MFGKEY_LANGUAGEID,
                    MFGKEY_RUN_BEGINTEST, MFGKEY_RUN_ENDTEST})
        system.put(key, "");
    TraceLog("LOG_FILE = NULL");
    TraceLog("LANGUAGEID = BY NORMAL");
    for (std::size_t i = 0; i < count; ++i) {
        // An empty position keeps its number: the host sees a gap, not a
        // renumbered list.
        if (!driverList[i]) continue;
        SectionWriter out(*listFile, std::to_string(i));
        writeEntry(out, *driverList[i], osVariant, EntryForm::driverList);
    }
    return 1;
}

}  // namespace mfg
