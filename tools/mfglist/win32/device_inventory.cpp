// This machine's devices through SetupAPI, with calls that Windows XP SP2
// has: every present device of every class, its hardware and compatible IDs.
#include "ids/device_inventory.h"

// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include <algorithm>
#include <optional>

#include "common/errors.h"

namespace mfgtool {
namespace {

class DeviceSet {
public:
    DeviceSet()
        : set_(SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT)) {
        if (set_ == INVALID_HANDLE_VALUE)
            throw RunError("SetupAPI gives no list of this machine's devices (error " +
                           std::to_string(GetLastError()) + ")");
    }
    ~DeviceSet() { SetupDiDestroyDeviceInfoList(set_); }
    DeviceSet(const DeviceSet&) = delete;
    DeviceSet& operator=(const DeviceSet&) = delete;

    bool next(DWORD index, SP_DEVINFO_DATA& info) const {
        info = {};
        info.cbSize = sizeof info;
        return SetupDiEnumDeviceInfo(set_, index, &info) != FALSE;
    }

    // A registry property's bytes and type; nullopt when the device has none.
    std::optional<std::string> property(SP_DEVINFO_DATA& info, DWORD which, DWORD& type) const {
        std::string buffer(512, '\0');
        for (int attempt = 0; attempt < 2; ++attempt) {
            DWORD required = 0;
            if (SetupDiGetDeviceRegistryPropertyA(set_, &info, which, &type,
                                                  reinterpret_cast<PBYTE>(&buffer[0]),
                                                  static_cast<DWORD>(buffer.size()), &required)) {
                buffer.resize(std::min<std::size_t>(required, buffer.size()));
                return buffer;
            }
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || required <= buffer.size()) break;
            buffer.assign(required, '\0');
        }
        return std::nullopt;
    }

    std::string instanceId(SP_DEVINFO_DATA& info) const {
        char id[1024] = {};
        DWORD required = 0;
        if (!SetupDiGetDeviceInstanceIdA(set_, &info, id, sizeof id - 1, &required)) return {};
        return id;
    }

private:
    HDEVINFO set_;
};

std::string textProperty(const DeviceSet& set, SP_DEVINFO_DATA& info, DWORD which) {
    DWORD type = 0;
    const std::optional<std::string> bytes = set.property(info, which, type);
    if (!bytes || type != REG_SZ) return {};
    return std::string(bytes->c_str());  // up to its NUL, if it has one
}

}  // namespace

DeviceScan scanThisMachine() {
    DeviceScan scan;
    const DeviceSet set;
    SP_DEVINFO_DATA info;
    for (DWORD index = 0; set.next(index, info); ++index) {
        const std::string instance = set.instanceId(info);
        std::vector<std::string> ids;
        for (const DWORD which : {DWORD{SPDRP_HARDWAREID}, DWORD{SPDRP_COMPATIBLEIDS}}) {
            DWORD type = 0;
            const std::optional<std::string> bytes = set.property(info, which, type);
            if (!bytes) continue;
            if (type != REG_MULTI_SZ) {
                scan.notes.push_back(instance + ": its " +
                                     (which == SPDRP_HARDWAREID ? "hardware" : "compatible") +
                                     " IDs are not a list of strings; they are left out");
                continue;
            }
            for (std::string& id : splitMultiString(bytes->data(), bytes->size()))
                ids.push_back(std::move(id));
        }
        if (ids.empty()) continue;
        Device device = deviceFromWindowsIds(std::move(ids));
        device.location = textProperty(set, info, SPDRP_LOCATION_INFORMATION);
        if (device.location.empty()) device.location = instance;
        device.description = textProperty(set, info, SPDRP_CLASS);
        scan.devices.push_back(std::move(device));
    }
    return scan;
}

std::string thisMachineName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) return {};
    return name;
}

}  // namespace mfgtool
