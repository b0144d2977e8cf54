#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "hid/device_role.h"
#include "hid/hid_backend.h"
#include "sim/devices/sim_device_mode.h"

namespace zeltor {

// Lengths of a collection's reports in bytes, the report id included; 0 when it has none.
struct SimReportLengths {
    std::uint16_t input = 64;
    std::uint16_t output = 64;
    // A full data report of the bootloader plan: 7 header bytes and 256 image bytes.
    std::uint16_t feature = 263;

    bool operator==(const SimReportLengths&) const = default;
};

struct SimMcuConfig {
    std::uint8_t patch = 12;  // the patch version it answers, 0 to 99
    bool answersVersion = true;
    std::uint32_t updateModeDelayMs = 3000;  // away after 06 88 01, back in update mode
    std::uint32_t closeDelayMs = 3000;       // away after 06 88 02, back in normal mode
    SimReportLengths lengths{64, 64, 0};

    bool operator==(const SimMcuConfig&) const = default;
};

// One device (dongle or headset) as a scenario describes it.
struct SimDeviceConfig {
    bool plugged = true;                       // on the bus when the world starts
    std::optional<std::uint32_t> plugAfterMs;  // a device not plugged at start arrives then
    SimDeviceMode mode = SimDeviceMode::Application;
    std::string version = "T1.00.00";        // the version text from byte 9 of the answer
    std::optional<std::uint32_t> pairingId;  // the device's own default when absent
    std::uint32_t bootloaderDelayMs = 1500;  // away after the bootloader-entry command
    std::uint32_t resetDelayMs = 1500;       // away after a reset
    SimReportLengths applicationLengths;
    SimReportLengths bootloaderLengths;
    SimMcuConfig mcu;  // the headset's only

    bool operator==(const SimDeviceConfig&) const = default;
};

// A fault the simulation injects. It acts either on reports the host sends to its target
// collection (the `at`-th report beginning with `prefix`, and the `times` - 1 matching ones after
// it) or, with `afterMs`, that long after each arrival of the target collection.
struct SimFault {
    enum class Action { Refuse, DropAnswer, CorruptAnswer, Unplug, NoReturn, LateReturn, Flood };
    static constexpr std::uint32_t kAlways = 0;  // `times`: every matching report from `at` on

    DeviceRole target = DeviceRole::ZeltorHeadset;
    Action action = Action::Refuse;

    std::uint32_t at = 1;
    ByteVector prefix;  // empty matches every report
    std::uint32_t times = 1;
    std::optional<std::uint32_t> afterMs;

    std::uint32_t errorCode = kErrorGenFailure;  // refuse
    std::optional<std::uint16_t>
        corruptByte;  // corrupt-answer: every byte after the id when absent
    std::optional<std::uint32_t> replugAfterMs;  // unplug: the user plugs it in again
    std::uint32_t delayMs = 0;                   // late-return: away this long instead
    std::uint8_t floodReportId = 0x07;
    std::uint32_t floodIntervalMs = 5;
    std::optional<std::uint32_t> floodForMs;  // the flood lasts while the collection is present

    bool operator==(const SimFault&) const = default;
};

struct SimScenario {
    std::string description;  // for people: what the scenario tells
    SimDeviceConfig dongle;
    SimDeviceConfig headset;
    std::vector<SimFault> faults;

    bool operator==(const SimScenario&) const = default;
};

}  // namespace zeltor
