#include <array>
#include <utility>

#include "sim/devices/sim_names.h"

namespace zeltor {
namespace {

using Action = SimFault::Action;

template <typename Value, std::size_t N>
using NameTable = std::array<std::pair<Value, const char*>, N>;

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

constexpr NameTable<Action, 7> kActionNames = {{
    {Action::Refuse, "refuse"},
    {Action::DropAnswer, "drop-answer"},
    {Action::CorruptAnswer, "corrupt-answer"},
    {Action::Unplug, "unplug"},
    {Action::NoReturn, "no-return"},
    {Action::LateReturn, "late-return"},
    {Action::Flood, "flood"},
}};

template <typename Value, std::size_t N>
const char* nameIn(const NameTable<Value, N>& table, Value value) {
    for (const auto& [v, name] : table) {
        if (v == value) {
            return name;
        }
    }
    return "?";
}

template <typename Value, std::size_t N>
std::optional<Value> valueIn(const NameTable<Value, N>& table, std::string_view name) {
    for (const auto& [v, n] : table) {
        if (name == n) {
            return v;
        }
    }
    return std::nullopt;
}

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

const char* simActionName(Action action) {
    return nameIn(kActionNames, action);
}

std::optional<Action> simActionFromName(std::string_view name) {
    return valueIn(kActionNames, name);
}

}  // namespace zeltor
