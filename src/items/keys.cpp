#include "items/keys.h"

#include <iterator>

namespace mfg::items {

namespace {

// In the order of Key.
constexpr const char* kKeyNames[] = {
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

}  // namespace

const char* keyName(Key key) { return kKeyNames[static_cast<int>(key)]; }

}  // namespace mfg::items
