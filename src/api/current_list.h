// The list object that the exports hold between MFG_InitMfgList and the
// create call.  For tests, and for mfglist explain, which attaches its
// observer here: a factory host sees nothing but the three exports.
#pragma once

namespace mfg {

class CMfgList;

// Null when no list run is open.
CMfgList* CurrentListForTesting();

}  // namespace mfg
