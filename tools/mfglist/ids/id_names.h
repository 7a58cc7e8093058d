// The names of PCI and USB devices, from the ID databases a Linux system
// keeps (pci.ids, usb.ids): "Intel Corporation HD Graphics 530" for a
// device that its ID alone does not name to a person.  A database is read
// when the first name is asked of it, and only the vendor blocks of the
// IDs asked are parsed; a missing database names nothing, without error.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device.h"

namespace mfgtool {

class IdDatabase;

class IdNames {
public:
    // `where`, from --id-names: a folder holding pci.ids and usb.ids, or one
    // database file (usb.ids when its name says "usb", else pci.ids).
    // Without it, MFGLIST_ID_NAMES names one the same way ("" for none),
    // else the places this system keeps them (idDatabasePlaces()).
    explicit IdNames(const std::optional<std::string>& where = std::nullopt);
    ~IdNames();
    IdNames(IdNames&&) noexcept;
    IdNames& operator=(IdNames&&) noexcept;

    // Whether a database of the bus is there to ask.
    bool has(Bus bus) const;

    std::optional<std::string> vendorName(Bus bus, std::uint16_t vendor) const;
    // "Vendor Device", with " (Subsystem)" where the database knows it;
    // "Vendor device 1234" for a device it does not list.
    std::optional<std::string> deviceName(const Device& device) const;
    // The same for a device the database lists, else none.
    std::optional<std::string> knownDeviceName(const Device& device) const;

    // A vendor's name, or with `device` a listed device's, from PCI's
    // database, else USB's: what an ID of the compact forms may name.
    std::optional<std::string> vendorOrDeviceName(std::uint16_t vendor,
                                                  std::optional<std::uint16_t> device) const;

    // The name of a device from one of its IDs: the compact forms (VVVVDDDD
    // and VVVVDDDDSSSSssss, the subsystem as Windows writes it) asked of PCI
    // first, then of USB; Windows' PCI\VEN_..., USB\VID_... strings of their
    // own bus.  None for any other ID.
    std::optional<std::string> nameOfId(std::string_view id) const;

    // A device's name from the first of its IDs that names it: a PCI
    // device's 16-character ID (with its subsystem) comes before its family.
    std::optional<std::string> nameOfDevice(const std::vector<std::string>& ids) const;

private:
    std::unique_ptr<IdDatabase> pci_;
    std::unique_ptr<IdDatabase> usb_;
};

// Where this system keeps pci.ids and usb.ids, in the order they are
// tried: Debian's /usr/share/misc and others on Linux; the executable's
// own folder on Windows.
std::vector<std::filesystem::path> idDatabasePlaces(const char* fileName);

// `id` read as a compact PCI or USB ID: 8 or 16 hexadecimal digits.
std::optional<Device> deviceOfCompactId(std::string_view id);

}  // namespace mfgtool
