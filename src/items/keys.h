// The INI keys and path macros by number: every reader and writer of the
// library names a key through keyName(), never by spelling it.
#pragma once

#include "mfglist/mfglist.h"

namespace mfg {

// The key's name as process files and list files spell it.
const char* keyName(int key);

}  // namespace mfg
