#include "id_names.h"

#include <cstdio>
#include <cstdlib>
#include <unordered_map>

#include "common/file_reads.h"

namespace fs = std::filesystem;

namespace mfgtool {

// One database: its text, read when first asked, and where each vendor's
// block starts.  Lines are "VVVV  Vendor", "\tDDDD  Device" and
// "\t\tSSSS ssss  Subsystem" (subsystem vendor, then device); a line of
// another form at the start ("C 03  Display controller") ends the vendors.
class IdDatabase {
public:
    explicit IdDatabase(fs::path file) : file_(std::move(file)) {}

    bool present() const {
        std::error_code ec;
        return !file_.empty() && fs::is_regular_file(file_, ec);
    }

    std::optional<std::string> vendor(std::uint16_t id) const {
        const std::size_t at = vendorLine(id);
        if (at == std::string::npos) return std::nullopt;
        return nameOn(at, 4);
    }

    std::optional<std::string> device(std::uint16_t vendorId, std::uint16_t deviceId,
                                      std::optional<std::uint16_t> subVendor,
                                      std::optional<std::uint16_t> subDevice) const {
        const std::size_t vendorAt = vendorLine(vendorId);
        if (vendorAt == std::string::npos) return std::nullopt;
        const std::unordered_map<std::uint16_t, std::size_t>& devices = devicesOf(vendorId);
        const auto found = devices.find(deviceId);
        if (found == devices.end()) return std::nullopt;
        std::size_t at = found->second;
        const std::string deviceName = nameOn(at, 5);
        std::optional<std::string> subsystemName;
        const std::string wantedSub = subVendor && subDevice
                                          ? "\t\t" + hex(*subVendor) + " " + hex(*subDevice)
                                          : std::string();
        // The device's subsystem lines follow it; the last one that names
        // the subsystem wins.
        for (at = nextLine(at); !wantedSub.empty() && inVendorBlock(at); at = nextLine(at)) {
            if (text_[at] == '#') continue;
            if (text_.compare(at, 2, "\t\t") != 0) break;
            if (text_.compare(at, wantedSub.size(), wantedSub) == 0)
                subsystemName = nameOn(at, wantedSub.size());
        }
        return nameOn(vendorAt, 4) + " " + deviceName +
               (subsystemName ? " (" + *subsystemName + ")" : "");
    }

private:
    static std::string hex(std::uint16_t value) {
        static const char digits[] = "0123456789abcdef";
        std::string text(4, '0');
        for (int i = 3; i >= 0; --i, value >>= 4)
            text[static_cast<std::size_t>(i)] = digits[value & 15];
        return text;
    }

    static bool isHexDigit(char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    }

    std::size_t nextLine(std::size_t at) const {
        const std::size_t end = text_.find('\n', at);
        return end == std::string::npos ? text_.size() : end + 1;
    }

    // The name after an ID of `idLength` characters and its blanks.
    std::string nameOn(std::size_t at, std::size_t idLength) const {
        std::size_t start = at + idLength;
        while (start < text_.size() && (text_[start] == ' ' || text_[start] == '\t')) ++start;
        std::size_t end = text_.find('\n', start);
        if (end == std::string::npos) end = text_.size();
        while (end > start && (text_[end - 1] == '\r' || text_[end - 1] == ' ')) --end;
        return text_.substr(start, end - start);
    }

    std::size_t vendorLine(std::uint16_t id) const {
        load();
        const auto found = vendors_.find(id);
        return found == vendors_.end() ? std::string::npos : found->second;
    }

    // A vendor's block goes on while its lines start with a tab or '#'.
    bool inVendorBlock(std::size_t at) const {
        return at < text_.size() && (text_[at] == '\t' || text_[at] == '#');
    }

    // The line of each device of the vendor ("\tdddd  Name", the first of
    // an ID), indexed when the vendor is first asked for: a line of many
    // rows asks for the devices of a few vendors whose blocks run to
    // thousands of lines.
    const std::unordered_map<std::uint16_t, std::size_t>& devicesOf(std::uint16_t vendorId) const {
        const auto [devices, added] = devices_.try_emplace(vendorId);
        if (!added) return devices->second;
        for (std::size_t at = nextLine(vendors_.at(vendorId)); inVendorBlock(at);
             at = nextLine(at)) {
            if (text_[at] == '#' || text_.compare(at, 2, "\t\t") == 0) continue;
            std::uint16_t id = 0;
            bool lowerHex = at + 5 <= text_.size();
            for (std::size_t i = at + 1; lowerHex && i < at + 5; ++i) {
                const char c = text_[i];
                lowerHex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
                id = static_cast<std::uint16_t>(id * 16 + (c <= '9' ? c - '0' : c - 'a' + 10));
            }
            if (lowerHex) devices->second.emplace(id, at);
        }
        return devices->second;
    }

    // Reads the file and indexes its vendor lines, once.
    void load() const {
        if (loaded_) return;
        loaded_ = true;
        text_ = fileBytes(file_);
        for (std::size_t at = 0; at < text_.size(); at = nextLine(at)) {
            if (text_[at] == '#' || text_[at] == '\t' || text_[at] == '\n' || text_[at] == '\r')
                continue;
            if (at + 6 > text_.size() || !isHexDigit(text_[at]) || !isHexDigit(text_[at + 1]) ||
                !isHexDigit(text_[at + 2]) || !isHexDigit(text_[at + 3]) || text_[at + 4] != ' ')
                break;  // the classes and the other tables that follow the vendors
            vendors_.emplace(
                static_cast<std::uint16_t>(std::stoul(text_.substr(at, 4), nullptr, 16)), at);
        }
    }

    fs::path file_;
    mutable bool loaded_ = false;
    mutable std::string text_;
    mutable std::unordered_map<std::uint16_t, std::size_t> vendors_;
    mutable std::unordered_map<std::uint16_t, std::unordered_map<std::uint16_t, std::size_t>>
        devices_;
};

namespace {

fs::path firstPresent(const std::vector<fs::path>& places) {
    std::error_code ec;
    for (const fs::path& place : places)
        if (fs::is_regular_file(place, ec)) return place;
    return {};
}

bool namesUsb(const fs::path& file) {
    std::string name = file.filename().string();
    for (char& c : name) c = static_cast<char>(c | 0x20);
    return name.find("usb") != std::string::npos;
}

}  // namespace

IdNames::IdNames(const std::optional<std::string>& where) {
    std::optional<std::string> chosen = where;
    if (!chosen)
        if (const char* fromEnvironment = std::getenv("MFGLIST_ID_NAMES")) chosen = fromEnvironment;
    fs::path pci, usb;
    if (!chosen) {
        pci = firstPresent(idDatabasePlaces("pci.ids"));
        usb = firstPresent(idDatabasePlaces("usb.ids"));
    } else if (!chosen->empty()) {
        std::error_code ec;
        const fs::path place(*chosen);
        if (fs::is_directory(place, ec)) {
            pci = place / "pci.ids";
            usb = place / "usb.ids";
        } else {
            (namesUsb(place) ? usb : pci) = place;
        }
    }
    pci_ = std::make_unique<IdDatabase>(pci);
    usb_ = std::make_unique<IdDatabase>(usb);
}

IdNames::~IdNames() = default;
IdNames::IdNames(IdNames&&) noexcept = default;
IdNames& IdNames::operator=(IdNames&&) noexcept = default;

bool IdNames::has(Bus bus) const {
    if (bus == Bus::pci) return pci_->present();
    if (bus == Bus::usb) return usb_->present();
    return false;
}

std::optional<std::string> IdNames::vendorName(Bus bus, std::uint16_t vendor) const {
    if (bus == Bus::pci) return pci_->vendor(vendor);
    if (bus == Bus::usb) return usb_->vendor(vendor);
    return std::nullopt;
}

std::optional<std::string> IdNames::knownDeviceName(const Device& device) const {
    if (!device.vendor || !device.device) return std::nullopt;
    if (device.bus == Bus::pci)
        return pci_->device(*device.vendor, *device.device, device.subVendor, device.subDevice);
    if (device.bus == Bus::usb) return usb_->device(*device.vendor, *device.device, {}, {});
    return std::nullopt;
}

std::optional<std::string> IdNames::deviceName(const Device& device) const {
    if (std::optional<std::string> name = knownDeviceName(device)) return name;
    if (!device.vendor || !device.device) return std::nullopt;
    const std::optional<std::string> vendor = vendorName(device.bus, *device.vendor);
    if (!vendor) return std::nullopt;
    char number[8];
    std::snprintf(number, sizeof number, "%04x", static_cast<unsigned>(*device.device));
    return *vendor + " device " + number;
}

std::optional<std::string> IdNames::vendorOrDeviceName(std::uint16_t vendor,
                                                       std::optional<std::uint16_t> device) const {
    for (const Bus bus : {Bus::pci, Bus::usb}) {
        Device asked;
        asked.bus = bus;
        asked.vendor = vendor;
        asked.device = device;
        if (std::optional<std::string> name =
                device ? knownDeviceName(asked) : vendorName(bus, vendor))
            return name;
    }
    return std::nullopt;
}

std::optional<std::string> IdNames::nameOfId(std::string_view id) const {
    if (std::optional<Device> compact = deviceOfCompactId(id)) {
        if (std::optional<std::string> name = deviceName(*compact)) return name;
        compact->bus = Bus::usb;
        compact->subVendor.reset();
        compact->subDevice.reset();
        return deviceName(*compact);
    }
    return deviceName(deviceFromWindowsIds({std::string(id)}));
}

std::optional<std::string> IdNames::nameOfDevice(const std::vector<std::string>& ids) const {
    for (const std::string& id : ids)
        if (std::optional<std::string> name = nameOfId(id)) return name;
    return std::nullopt;
}

std::optional<Device> deviceOfCompactId(std::string_view id) {
    if (id.size() != 8 && id.size() != 16) return std::nullopt;
    for (const char c : id)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return std::nullopt;
    const auto field = [&](std::size_t at) {
        return static_cast<std::uint16_t>(std::stoul(std::string(id.substr(at, 4)), nullptr, 16));
    };
    Device device;
    device.bus = Bus::pci;
    device.vendor = field(0);
    device.device = field(4);
    if (id.size() == 16) {  // SUBSYS as Windows writes it: subsystem device, then vendor
        device.subDevice = field(8);
        device.subVendor = field(12);
    }
    return device;
}

}  // namespace mfgtool
