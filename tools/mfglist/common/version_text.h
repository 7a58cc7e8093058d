// A driver's VERSION as people write it: numbers with dots, or a date.  The
// linter warns of a newer release kept out of the list, impact marks a
// release that goes down; both read a VERSION here.
#pragma once

#include <string>

namespace mfgtool {

// True when `later` names a newer VERSION than `earlier`, number by number
// ("7.021" is newer than "7.005" and "7.9" older than "7.10"; a missing
// number counts 0); a date written MM/DD/YYYY is read as YYYY, MM, DD.
// False when either holds no number.
bool isNewerVersion(const std::string& later, const std::string& earlier);

}  // namespace mfgtool
