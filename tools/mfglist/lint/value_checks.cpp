// Values: what the library does to a value that differs from what its writer
// meant (cut to a field, read as 0, ranked last, matched exactly, left as
// text).
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "checks.h"
#include "items/driver_order.h"
#include "items/hardware_id.h"
#include "items/iteminfo.h"
#include "items/macros.h"
#include "output/systeminfo.h"
#include "profile/profile_syntax.h"
#include "text/mbstring.h"

namespace mfgtool::lint {

using mfg::items::Key;
using mfg::items::keyName;

namespace {

struct FieldWidth {
    Key key;
    std::size_t width;
};

// The record fields the values go to (ITEMINFO, SYSTEMINFO).
constexpr FieldWidth kFieldWidths[] = {
    {Key::group, sizeof(mfg::ITEMINFO::group)},
    {Key::name, sizeof(mfg::ITEMINFO::name)},
    {Key::hardId, sizeof(mfg::ITEMINFO::hardId)},
    {Key::description, sizeof(mfg::ITEMINFO::description)},
    {Key::exePath, sizeof(mfg::ITEMINFO::exePath)},
    {Key::exePathVista32, sizeof(mfg::ITEMINFO::exePathVista32)},
    {Key::exePathVista64, sizeof(mfg::ITEMINFO::exePathVista64)},
    {Key::packetName, sizeof(mfg::ITEMINFO::packetName)},
    {Key::type, sizeof(mfg::ITEMINFO::type)},
    {Key::version, sizeof(mfg::ITEMINFO::version)},
    {Key::commandLine, sizeof(mfg::ITEMINFO::commandLine)},
    {Key::entryLogFile, sizeof(mfg::ITEMINFO::logFile)},
    {Key::selectPath, sizeof(mfg::ITEMINFO::selectPath)},
    {Key::logFile, sizeof(mfg::SYSTEMINFO::logFile)},
    {Key::hotKey, sizeof(mfg::SYSTEMINFO::hotKey)},
    {Key::languageId, sizeof(mfg::SYSTEMINFO::languageId)},
    {Key::runBeginTest, sizeof(mfg::SYSTEMINFO::runBeginTest)},
    {Key::runEndTest, sizeof(mfg::SYSTEMINFO::runEndTest)},
};

constexpr Key kNumberKeys[] = {Key::id,           Key::timeout,          Key::rebootCount,
                               Key::firstTimeout, Key::firstRebootCount, Key::resultValue};

// Values whose path macros are expanded.
constexpr Key kExpandedKeys[] = {
    Key::name,        Key::description,  Key::exePath, Key::exePathVista32, Key::exePathVista64,
    Key::commandLine, Key::entryLogFile, Key::logFile, Key::runBeginTest,   Key::runEndTest};

// Values that are a path a command line is made of.
constexpr Key kPathKeys[] = {Key::exePath,      Key::exePathVista32, Key::exePathVista64,
                             Key::entryLogFile, Key::selectPath,     Key::logFile,
                             Key::runBeginTest, Key::runEndTest};

constexpr Key kMacros[] = {Key::testDirMacro, Key::mfgProcPathMacro, Key::sectorNameMacro,
                           Key::packetNameMacro};

// How a "list gets" text shows the machine's Windows folder.
constexpr char kShownWindowsDir[] = "C:\\WINDOWS";

void checkWidth(FileCheck& check, const KeyLine& key, std::size_t width) {
    if (key.value.size() < width) return;
    const mfg::profile::syntax::Chars chars(check.cp);
    const std::size_t kept = chars.fit(key.value, width - 1);
    check.report(key.line, key.valueColumn, "value-too-long",
                 key.name + " is " + std::to_string(key.value.size()) +
                     " bytes long: the list keeps its first " + std::to_string(kept),
                 "shorten it to at most " + std::to_string(width - 1) + " bytes");
}

// As the entry reader reads a number: strtoll's digits, held at the 32-bit
// limits.
void checkNumber(FileCheck& check, const KeyLine& key) {
    const std::string& value = key.value;
    if (value.empty()) return;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(value.c_str(), &end, 10);
    const std::size_t used = static_cast<std::size_t>(end - value.c_str());
    if (used == 0) {
        check.report(key.line, key.valueColumn, "bad-number",
                     key.name + "=" + value + " is not a number: the list gets 0",
                     "write a whole number");
        return;
    }
    constexpr long long kMin = std::numeric_limits<std::int32_t>::min();
    constexpr long long kMax = std::numeric_limits<std::int32_t>::max();
    if (errno == ERANGE || parsed < kMin || parsed > kMax) {
        check.report(key.line, key.valueColumn, "bad-number",
                     key.name + "=" + value + " does not fit 32 bits: the list gets " +
                         std::to_string(parsed < 0 ? kMin : kMax),
                     "write a number from " + std::to_string(kMin) + " to " + std::to_string(kMax),
                     Severity::warning);
        return;
    }
    if (used < value.size()) {
        check.report(key.line, key.valueColumn, "bad-number",
                     key.name + "=" + value + " is not a whole number: the list gets " +
                         std::to_string(parsed),
                     "write digits only");
    }
}

// What a TYPE outside the table does to the entry in this file: a near miss
// of SOFTWARE moves a package into the driver list, a near miss of a ranked
// type moves a driver to the end of the install order.
std::string typeConsequence(const FileCheck& check, bool nearSoftware) {
    if (check.role == FileRole::softProc)
        return "SoftProc.ini's list takes only TYPE SOFTWARE, so the entry is never listed";
    const std::string rank = check.role == FileRole::drvProc
                                 ? "it takes the rank of an unknown type and installs after every "
                                   "ranked type"
                                 : "it is read as a driver of an unknown type";
    if (nearSoftware) return "the entry is not SOFTWARE: it joins the driver list, and " + rank;
    return rank;
}

void checkType(FileCheck& check, const KeyLine& key) {
    if (key.value.empty() || mfg::items::rankedType(mfg::items::typeRank(key.value, check.cp)))
        return;
    std::vector<std::string> types;
    std::string known;
    for (int rank = 0; mfg::items::rankedType(rank); ++rank) {
        types.emplace_back(mfg::items::rankedType(rank));
        known += (known.empty() ? "" : ", ") + types.back();
    }
    const std::string near = closestName(key.value, types);
    // A near miss was meant as a known type and changes what the PC gets;
    // a word far from every type is somebody's own and only noted.
    check.report(key.line, key.valueColumn, "unknown-type",
                 "TYPE " + key.value + " is not a known type" +
                     (near.empty() ? "" : " (did you mean " + near + "?)") + ": " +
                     typeConsequence(check, near == "SOFTWARE"),
                 near.empty() ? "use one of " + known : "write TYPE=" + near,
                 near.empty() ? Severity::warning : Severity::error);
}

bool isHexId(std::string_view id) {
    return std::all_of(id.begin(), id.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

// A PCI or USB ID begins with its vendor.  A vendor that neither database
// knows is most often a vendor and device written the wrong way round,
// which no machine's ID matches.
void checkHardIdVendor(FileCheck& check, const KeyLine& key) {
    if (!check.options.idName || !isHexId(key.value)) return;
    const auto part = [&](std::size_t at) {
        return static_cast<std::uint16_t>(std::stoul(key.value.substr(at, 4), nullptr, 16));
    };
    if (check.options.idName(part(0), std::nullopt)) return;
    // Written the other way round, it names a device the databases list.
    const std::optional<std::string> swapped = check.options.idName(part(4), part(0));
    check.report(
        key.line, key.valueColumn, "unknown-vendor",
        "HARDID " + key.value + " begins with vendor " + key.value.substr(0, 4) +
            ", which neither pci.ids nor usb.ids knows" +
            (swapped ? "; " + key.value.substr(4, 4) + key.value.substr(0, 4) + " is " + *swapped
                     : ""),
        swapped ? "vendor and device are written the wrong way round: write HARDID=" +
                      key.value.substr(4, 4) + key.value.substr(0, 4) + key.value.substr(8)
                : "check the ID against the device's own (mfglist ids on the machine)");
}

void checkHardId(FileCheck& check, const SectionView& section) {
    if (check.role != FileRole::drvProc || check.isSoftware(section)) return;
    const KeyLine* key = check.key(section, Key::hardId);
    const bool sysPatch =
        mfg::text::equalsNoCase(check.value(section, Key::type), "SYSPATCH", check.cp);
    if (!key || key->value.empty()) {
        if (!sysPatch) {
            check.report(key ? key->line : section.line, key ? key->valueColumn : 1,
                         "hardid-length",
                         sectionLabel(section) +
                             " has no HARDID and is not a SYSPATCH: it "
                             "matches no machine and is never listed",
                         "give it the hardware ID it is for", Severity::error);
        }
        return;
    }
    const std::size_t length = key->value.size();
    if (length == mfg::items::kFamilyIdLength || length == mfg::items::kDeviceIdLength) {
        checkHardIdVendor(check, *key);
        return;
    }
    check.report(key->line, key->valueColumn, "hardid-length",
                 "HARDID " + key->value + " is " + std::to_string(length) +
                     " characters long: only a machine ID equal to it matches (8 characters "
                     "match a family, 16 a device)",
                 "use the 8-character family ID or the 16-character device ID");
}

bool isWordCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The text the list gets for `value`: the library's own expansion, with the
// media's macros shown as <TESTDIR> and the like, and the Windows folder as C:\WINDOWS.
std::string listGets(const FileCheck& check, const std::string& value) {
    const mfg::items::MacroValues shown{"<TESTDIR>", "<MFGPROCPATH>", "<SECTORNAME>",
                                        "<PACKETNAME>", kShownWindowsDir};
    return mfg::items::expandMacros(value, shown, check.cp);
}

bool isMacroName(std::string_view name) {
    for (Key macro : kMacros)
        if (name == keyName(macro)) return true;
    return false;
}

// "%NAME%": the expansion upper-cases the name and drops every '%'; only
// WINDIR (and a $ macro) is replaced.
void checkPercents(FileCheck& check, const KeyLine& key, const std::string& gets) {
    const std::string& value = key.value;
    const mfg::profile::syntax::Chars chars(check.cp);
    for (std::size_t at = 0; at < value.size(); at += chars.length(value, at)) {
        if (chars.length(value, at) != 1 || value[at] != '%') continue;
        std::size_t close = at + 1;
        while (close < value.size() && !(chars.length(value, close) == 1 && value[close] == '%'))
            close += chars.length(value, close);
        if (close >= value.size()) {
            check.report(key.line, key.valueColumn + at, "percent-name",
                         "a lone '%' in " + key.name +
                             ": the library drops it and upper-cases the rest: the list gets " +
                             gets,
                         "remove the '%'");
            return;
        }
        const std::string name =
            mfg::text::toUpperAscii(value.substr(at + 1, close - at - 1), check.cp);
        if (name != keyName(Key::windirMacro) && !isMacroName(name)) {
            check.report(key.line, key.valueColumn + at, "percent-name",
                         value.substr(at, close - at + 1) + " in " + key.name +
                             " is not expanded (only %WINDIR% is): the library drops every '%': "
                             "the list gets " +
                             gets,
                         "write the folder itself, or a path below $TESTDIR or WINDIR");
        }
        at = close;
    }
}

// "$NAME" as the expansion sees it: upper-cased between percent signs only.
// A macro is replaced wherever its letters stand, so a longer word that
// starts with one (or holds WINDIR) is cut apart.
void checkMacros(FileCheck& check, const KeyLine& key) {
    const std::string& value = key.value;
    if (value.find_first_of("$%") == std::string::npos &&
        value.find(keyName(Key::windirMacro)) == std::string::npos)
        return;
    const std::string gets = listGets(check, value);
    checkPercents(check, key, gets);
    bool insidePercents = false;
    const mfg::profile::syntax::Chars chars(check.cp);
    std::string shown;  // the value with names between percents upper-cased
    for (std::size_t at = 0; at < value.size(); at += chars.length(value, at)) {
        const std::size_t length = chars.length(value, at);
        if (length == 1 && value[at] == '%') insidePercents = !insidePercents;
        const std::string piece = value.substr(at, length);
        shown += insidePercents ? mfg::text::toUpperAscii(piece, check.cp) : piece;
        if (value[at] != '$') continue;
        if (at + 1 < value.size() && value[at + 1] == '(') {
            const std::size_t close = value.find(')', at);
            check.report(key.line, key.valueColumn + at, "unknown-macro",
                         value.substr(at, close == std::string::npos ? 2 : close - at + 1) +
                             " in " + key.name +
                             " is not a path macro: it stays as text: the list gets " + gets,
                         "write the macro without parentheses, as $TESTDIR");
            continue;
        }
        std::size_t end = at + 1;
        while (end < value.size() && isWordCharacter(value[end])) ++end;
        if (end == at + 1) continue;
        std::string seen = value.substr(at, end - at);
        if (insidePercents) seen = mfg::text::toUpperAscii(seen, check.cp);
        std::string prefix;
        std::vector<std::string> names;
        for (Key macro : kMacros) {
            names.emplace_back(keyName(macro));
            if (seen.compare(0, names.back().size(), names.back()) == 0) prefix = names.back();
        }
        if (prefix == seen) continue;
        if (!prefix.empty()) {
            check.report(key.line, key.valueColumn + at, "macro-in-word",
                         prefix + " is replaced inside the word " + seen + " of " + key.name +
                             ": the list gets " + gets,
                         "end the macro at a '\\' or rename what follows it");
            continue;
        }
        const std::string upper = mfg::text::toUpperAscii(seen, check.cp);
        std::string near;
        for (const std::string& name : names)
            if (upper.compare(0, name.size(), name) == 0) near = name;
        const bool caseOnly = !near.empty();
        if (!caseOnly) near = closestName(seen, names);
        check.report(key.line, key.valueColumn + at, "unknown-macro",
                     seen + " in " + key.name + " is not a path macro" +
                         (caseOnly ? " (macros are upper-case outside %...%)" : "") +
                         ": the list gets " + gets,
                     near.empty() ? "use $TESTDIR, $MFGPROCPATH, $SECTORNAME or $PACKETNAME"
                                  : "write " + near);
    }
    // WINDIR is replaced without a '$': inside a longer word it cuts the word.
    const std::string windir = keyName(Key::windirMacro);
    for (std::size_t at = mfg::text::find(shown, windir, 0, check.cp); at != std::string::npos;
         at = mfg::text::find(shown, windir, at + windir.size(), check.cp)) {
        const std::size_t after = at + windir.size();
        if (at > 0 && shown[at - 1] == '$') continue;  // an unknown $ name, told above
        const bool inWord = (at > 0 && isWordCharacter(shown[at - 1])) ||
                            (after < shown.size() && isWordCharacter(shown[after]));
        if (!inWord) continue;
        check.report(key.line, key.valueColumn + at, "macro-in-word",
                     "WINDIR is replaced inside a word of " + key.name + ": the list gets " + gets,
                     "write the Windows folder as %WINDIR% on its own, and rename the word");
    }
}

void checkDash(FileCheck& check, const KeyLine& key) {
    const std::string& value = key.value;
    for (std::size_t at = 1; at < value.size(); ++at) {
        if (value[at] != '-' || (value[at - 1] != ' ' && value[at - 1] != '\t')) continue;
        check.report(key.line, key.valueColumn + at, "dash-in-path",
                     key.name +
                         " has a '-' after a blank: a command line that carries this path "
                         "is cut there, and the rest is taken for an option",
                     "rename the folder or file without \" -\" (a command's own options belong "
                     "in COMMANDLINE)");
        return;
    }
}

template <std::size_t N>
bool isOneOf(Key k, const Key (&keys)[N]) {
    for (Key candidate : keys)
        if (candidate == k) return true;
    return false;
}

}  // namespace

void checkValues(FileCheck& check) {
    for (const SectionView& section : check.view.sections) {
        if (section.name.size() >= sizeof(mfg::ITEMINFO::sectionName)) {
            check.report(section.line, 2, "value-too-long",
                         "the section name is " + std::to_string(section.name.size()) +
                             " bytes long: the list keeps its first " +
                             std::to_string(sizeof(mfg::ITEMINFO::sectionName) - 1),
                         "shorten it");
        }
        for (int index = 0; index < static_cast<int>(Key::count); ++index) {
            const Key k = static_cast<Key>(index);
            const KeyLine* key = check.key(section, k);
            if (!key || key->comment) continue;
            for (const FieldWidth& field : kFieldWidths)
                if (field.key == k) checkWidth(check, *key, field.width);
            if (isOneOf(k, kNumberKeys)) checkNumber(check, *key);
            if (k == Key::type) checkType(check, *key);
            if (isOneOf(k, kExpandedKeys)) checkMacros(check, *key);
            if (isOneOf(k, kPathKeys)) checkDash(check, *key);
        }
        checkHardId(check, section);
    }
}

}  // namespace mfgtool::lint
