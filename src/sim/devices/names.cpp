#include "sim/devices/name_table.h"
#include "sim/devices/role_names.h"
#include "sim/devices/sim_device_mode.h"

namespace zeltor {
namespace {

constexpr NameTable<DeviceRole, 5> kRoleNames = {{
    {DeviceRole::ZeltorHeadsetMCU, "mcu"},
    {DeviceRole::ZeltorHeadset, "headset"},
    {DeviceRole::ZeltorDongle, "dongle"},
    {DeviceRole::AvneraHeadsetBootloader, "headset-bootloader"},
    {DeviceRole::AvneraDongleBootloader, "dongle-bootloader"},
}};

constexpr NameTable<SimDeviceMode, 3> kModeNames = {{
    {SimDeviceMode::Application, "application"},
    {SimDeviceMode::McuUpdate, "mcu-update"},
    {SimDeviceMode::Bootloader, "bootloader"},
}};

}  // namespace

const char* simRoleName(DeviceRole role) {
    return nameIn(kRoleNames, role);
}

std::optional<DeviceRole> simRoleFromName(std::string_view name) {
    return valueIn(kRoleNames, name);
}

const char* simModeName(SimDeviceMode mode) {
    return nameIn(kModeNames, mode);
}

std::optional<SimDeviceMode> simModeFromName(std::string_view name) {
    return valueIn(kModeNames, name);
}

}  // namespace zeltor
