// The INI keys and path macros: every reader and writer of the library names
// a key through keyName(), never by spelling it, so that a key is spelled in
// one place only.
#pragma once

#include <cstddef>
#include <iterator>

namespace mfg::items {

enum class Key {
    // The group section's settings, written as SYSTEM.
    logFile,
    hotKey,
    debug,
    languageId,
    runBeginTest,
    runEndTest,
    // An entry section's keys.
    group,
    name,
    id,
    description,
    hardId,
    exePath,
    exePathVista32,
    exePathVista64,
    packetName,
    type,
    timeout,
    rebootCount,
    firstTimeout,
    firstRebootCount,
    resultValue,
    version,
    commandLine,
    entryLogFile,  // LOGFILE, an entry's own; logFile (LOG_FILE) is the list's
    packetPath,
    selectPath,
    // Path macros.
    testDirMacro,
    mfgProcPathMacro,
    sectorNameMacro,
    packetNameMacro,
    windirMacro,
    count
};

namespace detail {
// In the order of Key.
inline constexpr const char* kKeyNames[] = {
    "LOG_FILE",
    "HOTKEY",
    "DEBUG",
    "LANGUAGEID",
    "RUN_BEGINTEST",
    "RUN_ENDTEST",
    "GROUP",
    "NAME",
    "ID",
    "DESCRIPTION",
    "HARDID",
    "EXEPATH",
    "EXEPATHVISTA32",
    "EXEPATHVISTA64",
    "PACKETNAME",
    "TYPE",
    "TIMEOUT",
    "REBOOT_COUNT",
    "FIRST_TIMEOUT",
    "FIRST_REBOOT_COUNT",
    "RESULTVALUE",
    "VERSION",
    "COMMANDLINE",
    "LOGFILE",
    "PACKETPATH",
    "SELECTPATH",
    "$TESTDIR",
    "$MFGPROCPATH",
    "$SECTORNAME",
    "$PACKETNAME",
    "WINDIR",
};
static_assert(std::size(kKeyNames) == static_cast<std::size_t>(Key::count));
}  // namespace detail

// The key's name as process files and list files spell it.  Inline, so that
// the length of a constant key's name is known where it is used.
constexpr const char* keyName(Key key) { return detail::kKeyNames[static_cast<int>(key)]; }

}  // namespace mfg::items
