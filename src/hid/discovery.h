#pragma once

#include <functional>
#include <string>

#include "hid/device_role.h"
#include "hid/hid_backend.h"

namespace zeltor {

// True when `path` is a collection of `role`: vendor, product, usage page and usage all match.
// A path that cannot be probed is traced and has no role.
bool IsDeviceRole(HidBackend& backend, DeviceRole role, const std::string& path);

bool IsZeltorHeadsetMCU(HidBackend& backend, const std::string& path);
bool IsZeltorHeadset(HidBackend& backend, const std::string& path);
bool IsZeltorDongle(HidBackend& backend, const std::string& path);
bool IsAvneraHeadsetBootloader(HidBackend& backend, const std::string& path);
bool IsAvneraDongleBootloader(HidBackend& backend, const std::string& path);

// Hands the path of every present HID collection to `onArrival`, as if it had just arrived.
void EnumerateHidDevices(HidBackend& backend,
                         const std::function<void(const std::string& path)>& onArrival);

}  // namespace zeltor
