// The list object that the exports hold between MFG_InitMfgList and the
// create call.  The tool's runs of the core linked in attach their decision
// observer to it, and tests look into it; a factory host sees nothing but the
// three exports.
#pragma once

namespace mfg {

class CMfgList;

// Null when no list run is open.
CMfgList* currentList();

}  // namespace mfg
