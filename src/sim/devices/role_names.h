#pragma once

#include <optional>
#include <string_view>

#include "hid/device_role.h"

namespace zeltor {

// Short names of the collections for scenarios and device error messages: "mcu", "headset",
// "dongle", "headset-bootloader", "dongle-bootloader".
const char* simRoleName(DeviceRole role);
std::optional<DeviceRole> simRoleFromName(std::string_view name);

}  // namespace zeltor
