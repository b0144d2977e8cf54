#pragma once

namespace zeltor {

// What a simulated device runs when it is on the bus. The headset's audio MCU has its own update
// mode, in which the headset shows the same two collections as in application mode.
enum class SimDeviceMode { Application, McuUpdate, Bootloader };

}  // namespace zeltor
