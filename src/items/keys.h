// The INI keys and path macros: every reader and writer of the library names
// a key through keyName(), never by spelling it, so that a key is spelled in
// one place only.
#pragma once

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

// The key's name as process files and list files spell it.
const char* keyName(Key key);

}  // namespace mfg::items
