// One process-file section becomes one install entry.  Every key is looked
// up in the section the reader stands on; absent keys leave empty text or 0, so
// a section with no keys at all is still a valid (empty) entry.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "items/fixed_field.h"
#include "items/iteminfo.h"
#include "items/keys.h"
#include "items/macros.h"
#include "listjob/decision_observer.h"
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

// What follows the log switch on the entry's command line, upper-cased as
// the switch is looked for; nullopt without the switch.
std::optional<std::string> logFileOnCommandLine(const ITEMINFO& item, const text::CodePage& cp) {
    const std::string upper = text::toUpperAscii(items::fieldText(item.commandLine), cp);
    const std::size_t at = text::find(upper, kLogSwitch, 0, cp);
    if (at == std::string::npos) return std::nullopt;
    return upper.substr(at + 3);
}

}  // namespace

int CMfgList::ReadItem(ITEMINFO* item, CParseIniFile& section) {
    if (!item) return 0;
    const text::CodePage cp = text::CodePage::active();
    // Whole values: the cut to a field is made, and traced, by items::putField.
    // Views into the section, valid while this entry is read (the reader
    // does not step before ReadItem returns).
    const auto value = [&section](items::Key key) {
        return section.wholeValueView(items::keyName(key));
    };

    request.sectionName.clear();
    request.packetName.clear();
    const std::string rawSectionName = section.GetSectionName();
    // Path macros and trace lines use the name without its blanks; the
    // record keeps it as the header spells it.
    request.sectionName = std::string(text::trimAsciiSpace(rawSectionName));
    const items::FieldOrigin origin{kEntryTrace, request.sectionName, cp, decisionObserver};
    const auto put = [&origin](auto& field, std::string_view text, items::Key key) {
        items::putField(field, text, items::keyName(key), origin);
    };
    const auto number = [&](items::Key key) {
        return toInteger(std::string(value(key)), items::keyName(key), request.sectionName);
    };

    items::putField(item->sectionName, rawSectionName, kSectionNameKey, origin);
    put(item->group, value(items::Key::group), items::Key::group);
    put(item->name, value(items::Key::name), items::Key::name);
    TraceLog("<READ SECTOR>: NAME = %s", item->name);
    item->id = number(items::Key::id);
    put(item->hardId, value(items::Key::hardId), items::Key::hardId);
    put(item->description, value(items::Key::description), items::Key::description);

    // The CD-ROM media carries a build per Windows variant; a factory process
    // file names one executable that serves them all.
    if (startUp.cdRom == 1) {
        TraceLog("<READ SECTOR>: BY CDROM ,EXE BY OSVERSION ");
        put(item->exePath, value(items::Key::exePath), items::Key::exePath);
        put(item->exePathVista32, value(items::Key::exePathVista32), items::Key::exePathVista32);
        put(item->exePathVista64, value(items::Key::exePathVista64), items::Key::exePathVista64);
    } else {
        TraceLog("<READ SECTOR>: EXE ONLY BY XP_32 ,SET OTHER IS SAME");
        const std::string_view exePath = value(items::Key::exePath);
        put(item->exePath, exePath, items::Key::exePath);
        put(item->exePathVista32, exePath, items::Key::exePath);
        put(item->exePathVista64, exePath, items::Key::exePath);
    }
    TraceLog("<READ SECTOR>: XP_32 = %s", item->exePath);
    TraceLog("<READ SECTOR>: VISTA_32 = %s", item->exePathVista32);
    TraceLog("<READ SECTOR>: VISTA_64 = %s", item->exePathVista64);

    // Packages always lie in the working directory.
    put(item->packetPath, startUp.workDir, items::Key::packetPath);
    request.packetName = std::string(text::trimAsciiSpace(value(items::Key::packetName)));
    put(item->packetName, request.packetName, items::Key::packetName);
    if (item->name[0] == '\0')
        put(item->name, items::fieldText(item->packetName), items::Key::name);
    TraceLog("<READ SECTOR>: PACKETNAME = %s", item->packetName);

    put(item->type, value(items::Key::type), items::Key::type);
    item->timeout = number(items::Key::timeout);
    item->rebootCount = number(items::Key::rebootCount);
    item->firstTimeout = number(items::Key::firstTimeout);
    item->firstRebootCount = number(items::Key::firstRebootCount);
    item->resultValue = number(items::Key::resultValue);
    put(item->version, value(items::Key::version), items::Key::version);
    put(item->selectPath, value(items::Key::selectPath), items::Key::selectPath);
    put(item->commandLine, value(items::Key::commandLine), items::Key::commandLine);
    put(item->logFile, value(items::Key::entryLogFile), items::Key::entryLogFile);

    ExpandItemPaths(item);

    if (item->logFile[0] == '\0') {
        if (const std::optional<std::string> named = logFileOnCommandLine(*item, cp))
            put(item->logFile, *named, items::Key::entryLogFile);
    }

    TraceLog("<READ SECTOR>: NAME = %s", item->name);
    return 1;
}

int CMfgList::ExpandItemPaths(ITEMINFO* item) {
    if (!item) return 0;
    const text::CodePage cp = text::CodePage::active();
    const items::FieldOrigin origin{kEntryTrace, request.sectionName, cp, decisionObserver};
    const auto expand = [&](auto& field, items::Key key) { expandField(field, key, origin); };
    expand(item->name, items::Key::name);
    // Factory engineers watch the entries go by in a debugger, trace or not.
    platform::debugOutput(item->name);
    // A factory process file names one executable for every Windows variant
    // (ReadItem copies it): a path equal to the one before it is expanded once.
    std::string exeSource;
    std::string exeExpanded;
    const auto expandExe = [&](auto& field, items::Key key) {
        const std::string_view source = items::fieldText(field);
        if (!items::expansionMayChange(source)) return;
        if (source != exeSource) {
            exeSource.assign(source);
            exeExpanded = ExpandMacros(exeSource, cp);
        }
        items::putField(field, exeExpanded, items::keyName(key), origin);
    };
    expandExe(item->exePath, items::Key::exePath);
    expandExe(item->exePathVista32, items::Key::exePathVista32);
    expandExe(item->exePathVista64, items::Key::exePathVista64);
    expand(item->description, items::Key::description);
    expand(item->commandLine, items::Key::commandLine);
    expand(item->logFile, items::Key::entryLogFile);
    return 1;
}

}  // namespace mfg
