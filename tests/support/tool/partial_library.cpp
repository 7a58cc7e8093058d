// A library with the first export only: what a host meets when it is handed
// the wrong file or an old build.
#include "mfglist/mfglist.h"

extern "C" int MFGLIST_CALL MFG_InitMfgList(int, const char*, int) { return 1; }
