// One process-file section becomes one install entry.  Every key is looked
// up in the section the reader stands on; absent keys leave empty text or 0, so
// a section with no keys at all is still a valid (empty) entry.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "items/fixed_field.h"
#include "items/iteminfo.h"
#include "items/keys.h"
#include "listjob/mfg_list.h"
#include "platform/platform.h"
#include "reader/parse_ini_file.h"
#include "text/mbstring.h"
#include "trace/trace_log.h"

namespace mfg {

namespace {

constexpr char kEntryTrace[] = "<READ SECTOR>: ";
// The key shown when the section name itself does not fit its field.
constexpr char kSectionNameKey[] = "(SECTION NAME)";
// Installers name their own log file on their command line after this
// switch, so an entry need not repeat it under LOGFILE.
constexpr char kLogSwitch[] = "-F2";

// atoi as the host's run-time library has it: leading blanks and a sign,
// digits up to the first other character, 0 without digits.  A number beyond
// 32 bits is held at the nearest limit and traced, where atoi would give an
// undefined or platform-dependent value.
std::int32_t toInteger(const std::string& value, const char* key, const std::string& section) {
    errno = 0;
    const long long parsed = std::strtoll(value.c_str(), nullptr, 10);
    constexpr long long kMin = std::numeric_limits<std::int32_t>::min();
    constexpr long long kMax = std::numeric_limits<std::int32_t>::max();
    if (errno != ERANGE && parsed >= kMin && parsed <= kMax)
        return static_cast<std::int32_t>(parsed);
    const std::int32_t held = static_cast<std::int32_t>(parsed < 0 ? kMin : kMax);
    TraceLog("%sNUMBER OUT OF RANGE ,SET TO %d : SECTION = %s ,KEY = %s", kEntryTrace,
             static_cast<int>(held), section.c_str(), key);
    return held;
}

}  // namespace

int CMfgList::ReadItem(ITEMINFO* item, CParseIniFile& section) {
    if (!item) return 0;
    const text::CodePage cp = text::CodePage::active();
    // Whole values: the cut to a field is made, and traced, by putField.
    const auto value = [&section](int key) { return section.GetWholeValue(keyName(key)); };

    sectionName.clear();
    packetName.clear();
    const std::string rawSectionName = section.GetSectionName();
    // Path macros and trace lines use the name without its blanks; the
    // record keeps it as the header spells it.
    sectionName = std::string(text::trimAsciiSpace(rawSectionName));
    const FieldOrigin origin{kEntryTrace, sectionName, cp};
    const auto put = [&origin](auto& field, std::string_view text, int key) {
        putField(field, text, keyName(key), origin);
    };
    const auto number = [&](int key) { return toInteger(value(key), keyName(key), sectionName); };

    putField(item->sectionName, rawSectionName, kSectionNameKey, origin);
    put(item->group, value(MFGKEY_GROUP), MFGKEY_GROUP);
    put(item->name, value(MFGKEY_NAME), MFGKEY_NAME);
    TraceLog("<READ SECTOR>: NAME = %s", item->name);
    item->id = number(MFGKEY_ID);
    put(item->hardId, value(MFGKEY_HARDID), MFGKEY_HARDID);
    put(item->description, value(MFGKEY_DESCRIPTION), MFGKEY_DESCRIPTION);

    // The CD-ROM media carries a build per Windows variant; a factory process
    // file names one executable that serves them all.
    if (cdRom == 1) {
        TraceLog("<READ SECTOR>: BY CDROM ,EXE BY OSVERSION ");
        put(item->exePath, value(MFGKEY_EXEPATH), MFGKEY_EXEPATH);
        put(item->exePathVista32, value(MFGKEY_EXEPATHVISTA32), MFGKEY_EXEPATHVISTA32);
        put(item->exePathVista64, value(MFGKEY_EXEPATHVISTA64), MFGKEY_EXEPATHVISTA64);
    } else {
        TraceLog("<READ SECTOR>: EXE ONLY BY XP_32 ,SET OTHER IS SAME");
        const std::string exePath = value(MFGKEY_EXEPATH);
        put(item->exePath, exePath, MFGKEY_EXEPATH);
        put(item->exePathVista32, exePath, MFGKEY_EXEPATH);
        put(item->exePathVista64, exePath, MFGKEY_EXEPATH);
    }
    TraceLog("<READ SECTOR>: XP_32 = %s", item->exePath);
    TraceLog("<READ SECTOR>: VISTA_32 = %s", item->exePathVista32);
    TraceLog("<READ SECTOR>: VISTA_64 = %s", item->exePathVista64);

    // Packages always lie in the working directory.
    put(item->packetPath, workDir, MFGKEY_PACKETPATH);
    packetName = std::string(text::trimAsciiSpace(value(MFGKEY_PACKETNAME)));
    put(item->packetName, packetName, MFGKEY_PACKETNAME);
    if (item->name[0] == '\0') put(item->name, fieldText(item->packetName), MFGKEY_NAME);
    TraceLog("<READ SECTOR>: PACKETNAME = %s", item->packetName);

    put(item->type, value(MFGKEY_TYPE), MFGKEY_TYPE);
    item->timeout = number(MFGKEY_TIMEOUT);
    item->rebootCount = number(MFGKEY_REBOOT_COUNT);
    item->firstTimeout = number(MFGKEY_FIRST_TIMEOUT);
    item->firstRebootCount = number(MFGKEY_FIRST_REBOOT_COUNT);
    item->resultValue = number(MFGKEY_RESULTVALUE);
    put(item->version, value(MFGKEY_VERSION), MFGKEY_VERSION);
    put(item->selectPath, value(MFGKEY_SELECTPATH), MFGKEY_SELECTPATH);
    put(item->commandLine, value(MFGKEY_COMMANDLINE), MFGKEY_COMMANDLINE);
    put(item->logFile, value(MFGKEY_LOGFILE), MFGKEY_LOGFILE);

    ExpandItemPaths(item);

    if (item->logFile[0] == '\0') {
        const std::string upper = text::toUpperAscii(fieldText(item->commandLine), cp);
        const std::size_t at = text::find(upper, kLogSwitch, 0, cp);
        if (at != std::string::npos)
            put(item->logFile, std::string_view(upper).substr(at + 3), MFGKEY_LOGFILE);
    }

    TraceLog("<READ SECTOR>: NAME = %s", item->name);
    return 1;
}

int CMfgList::ExpandItemPaths(ITEMINFO* item) {
    if (!item) return 0;
    const text::CodePage cp = text::CodePage::active();
    const FieldOrigin origin{kEntryTrace, sectionName, cp};
    const auto expand = [&](auto& field, int key) { expandField(field, key, origin); };
    expand(item->name, MFGKEY_NAME);
    // Factory engineers watch the entries go by in a debugger, trace or not.
    platform::debugOutput(item->name);
    expand(item->exePath, MFGKEY_EXEPATH);
    expand(item->exePathVista32, MFGKEY_EXEPATHVISTA32);
    expand(item->exePathVista64, MFGKEY_EXEPATHVISTA64);
    expand(item->description, MFGKEY_DESCRIPTION);
    expand(item->commandLine, MFGKEY_COMMANDLINE);
    expand(item->logFile, MFGKEY_LOGFILE);
    return 1;
}

}  // namespace mfg
