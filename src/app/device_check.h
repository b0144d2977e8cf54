#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "hid/hid_backend.h"

namespace zeltor {

class CBrennicDFUDlg;

// The three parts a package brings firmware to, in the order the version check asks them.
enum class CheckedPart { MCU, Headset, Dongle };

// How a part showed itself on the bus.
enum class PartMode { Absent, Application, Bootloader };

struct PartCheck {
    CheckedPart part = CheckedPart::MCU;
    PartMode mode = PartMode::Absent;
    // A version came back. The MCU's is its patch version (major only), a chip's major.minor.
    bool answered = false;
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    // Current as the version check judges it; a part that is absent, in its bootloader or that
    // did not answer is not.
    bool current = false;
};

struct DeviceCheck {
    std::array<PartCheck, 3> parts{};  // MCU, headset chip, dongle chip
    bool anyFound = false;
    bool upToDate = false;
    int exitCode = 0;
};

// The exit code of a check: nothing found, an update needed (a bootloader among them), or all
// current.
int deviceCheckExitCode(const DeviceCheck& check);

// Finds the devices present as start-up does, opening the controller's channels, and asks each
// chip and the MCU for its version with the controller's own queries. Nothing but the version
// requests reaches a device. The controller must be fresh: constructed, never initialised.
DeviceCheck runDeviceCheck(CBrennicDFUDlg& controller, HidBackend& hid);

// Stable names for scripts ("mcu", "headset", "dongle"; "absent", "application", "bootloader")
// and what a person reads for each part.
const char* checkedPartKey(CheckedPart part);
const char* checkedPartLabel(CheckedPart part);
const char* partModeName(PartMode mode);
// "12" for the MCU, "2.05" for a chip; empty when no version came back.
std::string partVersionText(const PartCheck& part);

}  // namespace zeltor
