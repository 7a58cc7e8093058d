#include "id_forms.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "common/errors.h"

namespace mfgtool {
namespace {

std::string hex(std::uint32_t value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    return text;
}

bool hasSubsystem(const Device& device) {
    return device.subVendor && device.subDevice &&
           (*device.subVendor != 0 || *device.subDevice != 0);
}

constexpr std::string_view kFieldNames[] = {"VEN",    "DEV", "SUBSYS", "SUBVEN",
                                            "SUBDEV", "REV", "CLASS"};

bool isField(std::string_view name) {
    return std::find(std::begin(kFieldNames), std::end(kFieldNames), name) != std::end(kFieldNames);
}

// A template field's text for `device`, or nullopt when the device lacks it.
std::optional<std::string> fieldValue(std::string_view name, const Device& d) {
    const auto hexOf = [](const auto& value, int digits) -> std::optional<std::string> {
        if (!value) return std::nullopt;
        return hex(*value, digits);
    };
    if (name == "VEN") return hexOf(d.vendor, 4);
    if (name == "DEV") return hexOf(d.device, 4);
    if (name == "REV") return hexOf(d.revision, 2);
    if (name == "CLASS") return hexOf(d.classCode, 6);
    if (!hasSubsystem(d)) return std::nullopt;
    if (name == "SUBVEN") return hex(*d.subVendor, 4);
    if (name == "SUBDEV") return hex(*d.subDevice, 4);
    return hex(*d.subDevice, 4) + hex(*d.subVendor, 4);  // SUBSYS, as Windows writes it
}

// The template filled in for `device`; nullopt when it lacks a field.
// `pattern` has been checked by captureForm.
std::optional<std::string> fillTemplate(const std::string& pattern, const Device& device) {
    std::string id;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '{') {
            id += pattern[i];
            continue;
        }
        const std::size_t close = pattern.find('}', i);
        const std::optional<std::string> value =
            fieldValue(std::string_view(pattern).substr(i + 1, close - i - 1), device);
        if (!value) return std::nullopt;
        id += *value;
        i = close;
    }
    return id;
}

void checkTemplate(const std::string& pattern) {
    if (pattern.empty()) throw UsageError("--template needs a pattern, such as {VEN}{DEV}{SUBSYS}");
    for (std::size_t i = pattern.find('{'); i != std::string::npos; i = pattern.find('{', i + 1)) {
        const std::size_t close = pattern.find('}', i);
        if (close == std::string::npos)
            throw UsageError("--template " + pattern + " has a '{' without its '}'");
        const std::string name = pattern.substr(i + 1, close - i - 1);
        if (!isField(name))
            throw UsageError("--template " + pattern + " has the unknown field {" + name +
                             "}; the fields are {VEN} {DEV} {SUBSYS} {SUBVEN} {SUBDEV} {REV} "
                             "{CLASS}");
    }
}

// The strings Windows' PCI bus driver reports for the device: its hardware
// IDs, then its compatible IDs, from the most specific to the most general.
std::vector<std::string> pciPnpIds(const Device& d) {
    const std::string ven = "PCI\\VEN_" + hex(*d.vendor, 4);
    const std::string venDev = ven + "&DEV_" + hex(*d.device, 4);
    const std::string rev = d.revision ? "&REV_" + hex(*d.revision, 2) : "";
    std::vector<std::string> ids;
    if (d.subVendor && d.subDevice) {
        const std::string subsys =
            venDev + "&SUBSYS_" + hex(*d.subDevice, 4) + hex(*d.subVendor, 4);
        if (d.revision) ids.push_back(subsys + rev);
        ids.push_back(subsys);
    }
    if (d.revision) ids.push_back(venDev + rev);
    ids.push_back(venDev);
    if (d.classCode) {
        const std::string cc = hex(*d.classCode, 6);
        ids.push_back(venDev + "&CC_" + cc);
        ids.push_back(venDev + "&CC_" + cc.substr(0, 4));
        ids.push_back(ven + "&CC_" + cc);
        ids.push_back(ven + "&CC_" + cc.substr(0, 4));
    }
    ids.push_back(ven);
    if (d.classCode) {
        const std::string cc = hex(*d.classCode, 6);
        ids.push_back("PCI\\CC_" + cc);
        ids.push_back("PCI\\CC_" + cc.substr(0, 4));
    }
    return ids;
}

std::vector<std::string> pnpIds(const Device& d) {
    if (!d.windowsIds.empty()) return d.windowsIds;
    if (d.bus == Bus::acpi && !d.acpiId.empty()) return {"ACPI\\" + d.acpiId};
    if (!d.vendor || !d.device) return {};
    if (d.bus == Bus::pci) return pciPnpIds(d);
    if (d.bus != Bus::usb) return {};
    const std::string vidPid = "USB\\VID_" + hex(*d.vendor, 4) + "&PID_" + hex(*d.device, 4);
    if (!d.usbRevision) return {vidPid};
    return {vidPid + "&REV_" + hex(*d.usbRevision, 4), vidPid};
}

}  // namespace

const char* formName(FormKind kind) {
    switch (kind) {
        case FormKind::compact:
            return "compact";
        case FormKind::pnp:
            return "pnp";
        case FormKind::templates:
            break;
    }
    return "template";
}

CaptureForm captureForm(const std::optional<std::string>& form,
                        const std::vector<std::string>& templates) {
    CaptureForm capture;
    if (!templates.empty()) {
        if (form)
            throw UsageError("--form " + *form +
                             " and --template both choose the form; give one of them");
        for (const std::string& pattern : templates) checkTemplate(pattern);
        capture.kind = FormKind::templates;
        capture.templates = templates;
    } else if (!form || *form == "compact") {
        capture.kind = FormKind::compact;
    } else if (*form == "pnp") {
        capture.kind = FormKind::pnp;
    } else {
        throw UsageError("unknown form " + *form +
                         "; use --form compact or pnp, or give --template for another");
    }
    return capture;
}

std::vector<std::string> idsOf(const Device& device, const CaptureForm& form) {
    std::vector<std::string> made;
    if (form.kind == FormKind::pnp) {
        made = pnpIds(device);
    } else if (form.kind == FormKind::compact && device.bus == Bus::acpi) {
        if (!device.acpiId.empty()) made.push_back(device.acpiId);
    } else {
        const std::vector<std::string> compact = {"{VEN}{DEV}{SUBSYS}", "{VEN}{DEV}"};
        for (const std::string& pattern : form.kind == FormKind::compact ? compact : form.templates)
            if (std::optional<std::string> id = fillTemplate(pattern, device))
                made.push_back(std::move(*id));
    }
    std::vector<std::string> ids;
    for (std::string& id : made)
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(std::move(id));
    return ids;
}

}  // namespace mfgtool
