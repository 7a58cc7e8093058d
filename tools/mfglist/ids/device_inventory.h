// The devices of a machine for `mfglist ids`: this machine's (sysfs on
// Linux, SetupAPI on Windows), or those of a sysfs tree copied from another
// machine, such as a PC booted from a live Linux stick.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "device.h"

namespace mfgtool {

struct DeviceScan {
    std::vector<Device> devices;
    // An entry that could not be read or made no sense, named, and what was
    // done about it; the scan goes on without it.
    std::vector<std::string> notes;
};

// The devices of a sysfs tree: PCI, USB and ACPI devices under
// `root`/sys/bus (or `root`/bus when `root` is the sys folder itself).  The
// bus folders' links are followed inside the tree, so a copy made with its
// links kept reads as the machine did.
DeviceScan readSysfs(const std::filesystem::path& root);

// This machine's present devices.
DeviceScan scanThisMachine();

// This machine's host name, for the ID file's header.
std::string thisMachineName();

}  // namespace mfgtool
