#pragma once

#include <optional>
#include <string_view>

#include "hid/device_role.h"
#include "sim/scenario/scenario.h"

namespace zeltor {

// The names scenarios and the simulation's messages use for collections ("mcu", "headset",
// "dongle", "headset-bootloader", "dongle-bootloader"), modes ("application", "mcu-update",
// "bootloader") and fault actions ("refuse", "drop-answer", ...).
const char* simRoleName(DeviceRole role);
std::optional<DeviceRole> simRoleFromName(std::string_view name);
const char* simModeName(SimDeviceMode mode);
std::optional<SimDeviceMode> simModeFromName(std::string_view name);
const char* simActionName(SimFault::Action action);
std::optional<SimFault::Action> simActionFromName(std::string_view name);

}  // namespace zeltor
