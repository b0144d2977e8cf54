#pragma once

#include <optional>
#include <string_view>

namespace zeltor {

// What a simulated device runs when it is on the bus. The headset's audio MCU has its own update
// mode, in which the headset shows the same two collections as in application mode.
enum class SimDeviceMode { Application, McuUpdate, Bootloader };

// The names scenarios and device error messages use: "application", "mcu-update", "bootloader".
const char* simModeName(SimDeviceMode mode);
std::optional<SimDeviceMode> simModeFromName(std::string_view name);

}  // namespace zeltor
