// A device of the captured machine, as `mfglist ids` sees it: its bus, where
// it sits, and the numbers its hardware IDs are made of.  Linux fills the
// numbers from sysfs; Windows gives its own ID strings, and the numbers are
// read back out of them, so that every capture form works on both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mfgtool {

enum class Bus { pci, usb, acpi, other };

const char* busName(Bus bus);  // "PCI", "USB", "ACPI", "other"

struct Device {
    Bus bus = Bus::other;
    std::string location;     // sysfs name (0000:00:02.0, 1-1) or Windows' location
    std::string description;  // the class, where known ("display controller", "Display")
    std::optional<std::uint16_t> vendor;       // PCI vendor, USB idVendor
    std::optional<std::uint16_t> device;       // PCI device, USB idProduct
    std::optional<std::uint16_t> subVendor;    // PCI subsystem vendor
    std::optional<std::uint16_t> subDevice;    // PCI subsystem device
    std::optional<std::uint8_t> revision;      // PCI revision
    std::optional<std::uint32_t> classCode;    // PCI base class, subclass, interface
    std::optional<std::uint16_t> usbRevision;  // USB bcdDevice
    std::string acpiId;                        // ACPI _HID ("PNP0A08")
    // Windows' own hardware IDs then compatible IDs, most specific first;
    // empty on Linux, where the pnp form is made from the numbers.
    std::vector<std::string> windowsIds;
};

// The strings of a REG_MULTI_SZ value of `size` bytes: each ends in a NUL,
// the list in an empty string.  Never reads past `size`; a last string that
// lacks its NUL is taken up to the end.
std::vector<std::string> splitMultiString(const char* data, std::size_t size);

// A device from Windows' ID strings of one device (hardware IDs, then
// compatible IDs): the bus from the first ID's enumerator, the numbers from
// its VEN_/DEV_/SUBSYS_/REV_/CC_ (PCI) or VID_/PID_/REV_ (USB) parts, the
// ACPI ID from "ACPI\ID".  A part that is not hex of its length is ignored.
Device deviceFromWindowsIds(std::vector<std::string> ids);

}  // namespace mfgtool
