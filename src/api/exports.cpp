// The three exported functions.  Until the list object lands they only
// acknowledge the call, as the host expects of every export.
#include "mfglist/mfglist.h"

extern "C" {

int MFGLIST_CALL MFG_InitMfgList(int, const char*, int) { return 1; }

int MFGLIST_CALL MFG_CreateIniFile(int, const char* const*, const char*) { return 1; }

int MFGLIST_CALL MFG_CreateAllSoftIniFile(const char*) { return 1; }

}  // extern "C"
