#include "machine.h"

namespace mfgtool {

const char* windowsName(Windows windows) { return windows == Windows::Vista ? "vista" : "xp"; }

}  // namespace mfgtool
