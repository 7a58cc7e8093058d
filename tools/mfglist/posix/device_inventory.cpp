#include "ids/device_inventory.h"

#include <unistd.h>

namespace mfgtool {

DeviceScan scanThisMachine() { return readSysfs("/"); }

std::string thisMachineName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

}  // namespace mfgtool
