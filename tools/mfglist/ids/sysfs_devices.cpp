// sysfs as the kernel writes it: PCI attributes as "0x%04x" (revision
// "0x%02x", class "0x%06x"), USB ones as "%04x", an ACPI device's ID as text.
#include <algorithm>
#include <cctype>
#include <deque>
#include <iterator>
#include <optional>

#include "common/file_reads.h"
#include "device_inventory.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

// The copied tree: everything read is inside `root`.  The kernel's links
// are relative ones, which resolve within the copy, and absolute ones
// (/sys/devices/...), which are taken inside `sysFolder`.
struct SysTree {
    fs::path root;
    fs::path sysFolder;
};

// `path` (below the tree's root) with every link on the way resolved inside
// the tree; nullopt when a link leads out of it (a relative link that climbs
// above the root, an absolute one outside /sys) or links loop.
std::optional<fs::path> inTree(const SysTree& tree, const fs::path& path) {
    std::error_code ec;
    std::deque<fs::path> rest;
    for (const fs::path& part : path.lexically_relative(tree.root)) rest.push_back(part);
    std::vector<fs::path> reached;  // below the root
    const auto joined = [&] {
        fs::path at = tree.root;
        for (const fs::path& part : reached) at /= part;
        return at;
    };
    // As many links as the system follows before it gives up.
    int links = 0;
    while (!rest.empty()) {
        const fs::path part = rest.front();
        rest.pop_front();
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (reached.empty()) return std::nullopt;
            reached.pop_back();
            continue;
        }
        const fs::path at = joined() / part;
        if (!fs::is_symlink(at, ec)) {
            reached.push_back(part);
            continue;
        }
        const fs::path target = fs::read_symlink(at, ec);
        if (ec || ++links > 40) return std::nullopt;
        std::vector<fs::path> parts;
        if (target.has_root_directory()) {
            const fs::path inSys = target.lexically_relative("/sys");
            if (inSys.empty() || *inSys.begin() == "..") return std::nullopt;
            reached.clear();
            for (const fs::path& p : tree.sysFolder.lexically_relative(tree.root))
                reached.push_back(p);
            for (const fs::path& p : inSys) parts.push_back(p);
        } else {
            for (const fs::path& p : target) parts.push_back(p);
        }
        rest.insert(rest.begin(), parts.begin(), parts.end());
    }
    return joined();
}

const char* pciClassName(std::uint32_t classCode) {
    static constexpr const char* kNames[] = {"unclassified device",
                                             "mass storage controller",
                                             "network controller",
                                             "display controller",
                                             "multimedia controller",
                                             "memory controller",
                                             "bridge",
                                             "communication controller",
                                             "system peripheral",
                                             "input device controller",
                                             "docking station",
                                             "processor",
                                             "serial bus controller",
                                             "wireless controller",
                                             "intelligent controller",
                                             "satellite communications controller",
                                             "encryption controller",
                                             "signal processing controller"};
    const std::uint32_t base = classCode >> 16;
    return base < std::size(kNames) ? kNames[base] : "class";
}

// One device folder and what is told about its attributes.
class DeviceFolder {
public:
    DeviceFolder(const SysTree& tree, fs::path folder, Bus bus, std::string location,
                 std::vector<std::string>& notes)
        : tree_(tree),
          folder_(std::move(folder)),
          location_(std::move(location)),
          name_(std::string(busName(bus)) + " " + location_),
          notes_(notes) {}

    const std::string& location() const { return location_; }
    bool has(const char* attribute) const {
        std::error_code ec;
        const std::optional<fs::path> file = inTree(tree_, folder_ / attribute);
        return file && fs::exists(*file, ec);
    }

    // The attribute as `digits` hex digits after `prefix` ("0x" or ""), or
    // nullopt with a note when it is missing (`needed`: the device is left
    // out; otherwise the IDs that need it), unreadable or odd.
    std::optional<std::uint32_t> hex(const char* attribute, const std::string& prefix,
                                     std::size_t digits, bool needed) {
        const std::string consequence =
            needed ? "the device is left out" : "IDs that need it are left out";
        const std::optional<std::string> text = read(attribute, consequence);
        if (!text) return std::nullopt;
        const bool wellFormed =
            text->size() == prefix.size() + digits &&
            text->compare(0, prefix.size(), prefix) == 0 &&
            std::all_of(text->begin() + static_cast<std::ptrdiff_t>(prefix.size()), text->end(),
                        [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
        if (!wellFormed) {
            note(std::string(attribute) + " holds \"" + printable(*text) + "\", not " +
                 (prefix.empty() ? "" : "\"" + prefix + "\" and ") + std::to_string(digits) +
                 " hex digits; " + consequence);
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(std::stoul(text->substr(prefix.size()), nullptr, 16));
    }

    // The attribute's text without its line end; nullopt, with a note
    // ending in `consequence`, when it is missing or cannot be read.
    std::optional<std::string> read(const char* attribute, const std::string& consequence) {
        const std::optional<fs::path> resolved = inTree(tree_, folder_ / attribute);
        if (!resolved) {
            note(std::string(attribute) + " is a link that leads out of the tree read; " +
                 consequence);
            return std::nullopt;
        }
        const fs::path& file = *resolved;
        std::error_code ec;
        if (!fs::exists(file, ec)) {
            note("no " + std::string(attribute) + "; " + consequence);
            return std::nullopt;
        }
        std::optional<std::string> read =
            fs::is_directory(file, ec) ? std::nullopt : readFileWhole(file);
        if (!read) {
            note("cannot read " + file.string() + "; " + consequence);
            return std::nullopt;
        }
        std::string text = std::move(*read);
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
            text.pop_back();
        return text;
    }

    void note(const std::string& what) { notes_.push_back(name_ + ": " + what); }

private:
    static std::string printable(const std::string& text) {
        std::string shown = text.substr(0, 40);
        for (char& c : shown)
            if (!std::isprint(static_cast<unsigned char>(c))) c = '?';
        return shown;
    }

    const SysTree& tree_;
    fs::path folder_;
    std::string location_;
    std::string name_;  // as notes name the device: "PCI 0000:00:02.0"
    std::vector<std::string>& notes_;
};

std::optional<Device> readPci(DeviceFolder& folder) {
    Device device;
    device.bus = Bus::pci;
    const auto vendor = folder.hex("vendor", "0x", 4, true);
    const auto id = vendor ? folder.hex("device", "0x", 4, true) : std::nullopt;
    if (!vendor || !id) return std::nullopt;
    device.vendor = static_cast<std::uint16_t>(*vendor);
    device.device = static_cast<std::uint16_t>(*id);
    const auto subVendor = folder.hex("subsystem_vendor", "0x", 4, false);
    const auto subDevice = folder.hex("subsystem_device", "0x", 4, false);
    if (subVendor && subDevice) {
        device.subVendor = static_cast<std::uint16_t>(*subVendor);
        device.subDevice = static_cast<std::uint16_t>(*subDevice);
    }
    if (const auto revision = folder.hex("revision", "0x", 2, false))
        device.revision = static_cast<std::uint8_t>(*revision);
    device.classCode = folder.hex("class", "0x", 6, false);
    if (device.classCode) {
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string code;
        for (int shift = 20; shift >= 0; shift -= 4)
            code += kDigits[(*device.classCode >> shift) & 0xF];
        device.description = std::string(pciClassName(*device.classCode)) + " " + code;
    }
    return device;
}

std::optional<Device> readUsb(DeviceFolder& folder) {
    // An interface (1-1:1.0) is part of its device; a root hub (usb1) is
    // the Linux host controller's own, with IDs Windows never shows.
    if (folder.location().find(':') != std::string::npos || folder.location().rfind("usb", 0) == 0)
        return std::nullopt;
    Device device;
    device.bus = Bus::usb;
    const auto vendor = folder.hex("idVendor", "", 4, true);
    const auto product = vendor ? folder.hex("idProduct", "", 4, true) : std::nullopt;
    if (!vendor || !product) return std::nullopt;
    device.vendor = static_cast<std::uint16_t>(*vendor);
    device.device = static_cast<std::uint16_t>(*product);
    if (const auto revision = folder.hex("bcdDevice", "", 4, false))
        device.usbRevision = static_cast<std::uint16_t>(*revision);
    return device;
}

std::optional<Device> readAcpi(DeviceFolder& folder) {
    // Most ACPI nodes (device:00, ...) have no ID of their own.
    if (!folder.has("hid")) return std::nullopt;
    const std::optional<std::string> id = folder.read("hid", "the device is left out");
    if (!id) return std::nullopt;
    const bool wellFormed =
        !id->empty() && id->size() <= 16 && std::all_of(id->begin(), id->end(), [](char c) {
            return std::isupper(static_cast<unsigned char>(c)) ||
                   std::isdigit(static_cast<unsigned char>(c)) || c == '_';
        });
    if (!wellFormed) {
        folder.note("hid holds \"" + id->substr(0, 40) +
                    "\", not an ACPI ID; the device is left out");
        return std::nullopt;
    }
    // LNX... IDs are Linux's own (LNXSYSTM, LNXCPU, ...), not the firmware's.
    if (id->rfind("LNX", 0) == 0) return std::nullopt;
    Device device;
    device.bus = Bus::acpi;
    device.acpiId = *id;
    return device;
}

}  // namespace

DeviceScan readSysfs(const fs::path& root) {
    DeviceScan scan;
    std::error_code ec;
    const fs::path sysFolder =
        !fs::is_directory(root / "sys" / "bus", ec) && fs::is_directory(root / "bus", ec)
            ? root
            : root / "sys";
    const SysTree tree{root, sysFolder};
    const struct {
        const char* folder;
        Bus bus;
        std::optional<Device> (*read)(DeviceFolder&);
    } kBuses[] = {
        {"pci", Bus::pci, readPci}, {"usb", Bus::usb, readUsb}, {"acpi", Bus::acpi, readAcpi}};
    for (const auto& bus : kBuses) {
        const fs::path list = sysFolder / "bus" / bus.folder / "devices";
        std::vector<fs::directory_entry> entries;
        for (fs::directory_iterator it(list, ec), end; !ec && it != end; it.increment(ec))
            entries.push_back(*it);
        std::sort(entries.begin(), entries.end());
        for (const fs::directory_entry& entry : entries) {
            const std::string location = entry.path().filename().string();
            const std::optional<fs::path> resolved = inTree(tree, entry.path());
            const fs::path folder = resolved.value_or(entry.path());
            DeviceFolder device(tree, folder, bus.bus, location, scan.notes);
            if (!resolved) {
                device.note(entry.path().string() +
                            " is a link that leads out of the tree read; the device is left out");
                continue;
            }
            if (!fs::is_directory(folder, ec)) {
                device.note(folder.string() +
                            " is not a folder (a link to nothing?); the device is left out");
                continue;
            }
            if (std::optional<Device> read = bus.read(device)) {
                read->location = location;
                scan.devices.push_back(std::move(*read));
            }
        }
        ec.clear();
    }
    return scan;
}

}  // namespace mfgtool
