#include "device.h"

#include <cctype>

namespace mfgtool {
namespace {

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// `text` as a number when it is exactly `digits` hex digits.
std::optional<std::uint32_t> hexOfLength(std::string_view text, std::size_t digits) {
    if (text.size() != digits) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(std::isdigit(static_cast<unsigned char>(c))
                                                            ? c - '0'
                                                            : std::toupper(c) - 'A' + 10);
    }
    return value;
}

template <typename T>
void fill(std::optional<T>& field, std::string_view part, std::string_view key,
          std::size_t digits) {
    if (field || part.substr(0, key.size()) != key) return;
    if (const auto value = hexOfLength(part.substr(key.size()), digits))
        field = static_cast<T>(*value);
}

Bus busOf(std::string_view enumerator) {
    if (enumerator == "PCI") return Bus::pci;
    if (enumerator == "USB") return Bus::usb;
    if (enumerator == "ACPI") return Bus::acpi;
    return Bus::other;
}

}  // namespace

const char* busName(Bus bus) {
    switch (bus) {
        case Bus::pci:
            return "PCI";
        case Bus::usb:
            return "USB";
        case Bus::acpi:
            return "ACPI";
        case Bus::other:
            break;
    }
    return "other";
}

std::vector<std::string> splitMultiString(const char* data, std::size_t size) {
    std::vector<std::string> strings;
    std::size_t start = 0;
    while (start < size) {
        std::size_t end = start;
        while (end < size && data[end] != '\0') ++end;
        if (end == start) break;  // the empty string that ends the list
        strings.emplace_back(data + start, end - start);
        start = end + 1;
    }
    return strings;
}

Device deviceFromWindowsIds(std::vector<std::string> ids) {
    Device device;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const std::string id = upper(ids[i]);
        const std::size_t slash = id.find('\\');
        if (slash == std::string::npos) continue;
        const Bus bus = busOf(std::string_view(id).substr(0, slash));
        if (i == 0) device.bus = bus;
        if (bus != device.bus) continue;
        const std::string_view rest = std::string_view(id).substr(slash + 1);
        if (bus == Bus::acpi) {
            if (device.acpiId.empty() && rest.find_first_of("\\&") == std::string_view::npos)
                device.acpiId = std::string(rest);
            continue;
        }
        for (std::size_t at = 0; at <= rest.size();) {
            std::size_t end = rest.find('&', at);
            if (end == std::string_view::npos) end = rest.size();
            const std::string_view part = rest.substr(at, end - at);
            at = end + 1;
            if (bus == Bus::pci) {
                fill(device.vendor, part, "VEN_", 4);
                fill(device.device, part, "DEV_", 4);
                fill(device.revision, part, "REV_", 2);
                fill(device.classCode, part, "CC_", 6);
                std::optional<std::uint32_t> subsystem;
                fill(subsystem, part, "SUBSYS_", 8);
                if (subsystem && !device.subVendor) {
                    // Windows writes the subsystem's device ID first.
                    device.subDevice = static_cast<std::uint16_t>(*subsystem >> 16);
                    device.subVendor = static_cast<std::uint16_t>(*subsystem & 0xFFFF);
                }
            } else if (bus == Bus::usb) {
                fill(device.vendor, part, "VID_", 4);
                fill(device.device, part, "PID_", 4);
                fill(device.usbRevision, part, "REV_", 4);
            }
        }
    }
    device.windowsIds = std::move(ids);
    return device;
}

}  // namespace mfgtool
