#include "hid/discovery.h"

#include "hid/device_updater.h"
#include "trace/trace_log.h"

namespace zeltor {

bool IsDeviceRole(HidBackend& backend, DeviceRole role, const std::string& path) {
    HidAttributes attributes;
    HidCaps caps;
    if (!cDeviceUpdater::GetHidInfo(backend, path, attributes, caps)) {
        Trace("Failed to get HID info for %s\n", path.c_str());
        return false;
    }
    const DeviceRoleIdentity& id = identityOf(role);
    return attributes.VendorID == id.vendorId && attributes.ProductID == id.productId &&
           caps.UsagePage == id.usagePage && caps.Usage == id.usage;
}

bool IsZeltorHeadsetMCU(HidBackend& backend, const std::string& path) {
    return IsDeviceRole(backend, DeviceRole::ZeltorHeadsetMCU, path);
}

bool IsZeltorHeadset(HidBackend& backend, const std::string& path) {
    return IsDeviceRole(backend, DeviceRole::ZeltorHeadset, path);
}

bool IsZeltorDongle(HidBackend& backend, const std::string& path) {
    return IsDeviceRole(backend, DeviceRole::ZeltorDongle, path);
}

bool IsAvneraHeadsetBootloader(HidBackend& backend, const std::string& path) {
    return IsDeviceRole(backend, DeviceRole::AvneraHeadsetBootloader, path);
}

bool IsAvneraDongleBootloader(HidBackend& backend, const std::string& path) {
    return IsDeviceRole(backend, DeviceRole::AvneraDongleBootloader, path);
}

void EnumerateHidDevices(HidBackend& backend,
                         const std::function<void(const std::string& path)>& onArrival) {
    for (const std::string& path : backend.enumerateInterfaces()) {
        onArrival(path);
    }
}

}  // namespace zeltor
