// The key-name table of the public header.  The order is the MFGKEY_ order;
// every reader and writer of the library indexes it, never spells a key.
#include "items/keys.h"

extern "C" const char MFG_KEY_NAMES[MFGKEY_COUNT][MFG_KEY_NAME_SIZE] = {
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

namespace mfg {

const char* keyName(int key) { return MFG_KEY_NAMES[key]; }

}  // namespace mfg
