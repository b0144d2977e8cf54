#include "soak/soak_draw.h"

#include <functional>
#include <random>
#include <string>

namespace zeltor::soak {
namespace {

// The first three answer the reports they are sent; the bootloaders answer none.
constexpr DeviceRole kTargets[] = {DeviceRole::ZeltorHeadsetMCU, DeviceRole::ZeltorHeadset,
                                   DeviceRole::ZeltorDongle, DeviceRole::AvneraHeadsetBootloader,
                                   DeviceRole::AvneraDongleBootloader};
constexpr std::uint32_t kLastAnswering = 2;
constexpr std::uint32_t kLastTarget = 4;

// Reports each target sees in one update, so faults land inside the run.
std::uint32_t reportsSeen(DeviceRole target) {
    switch (target) {
        case DeviceRole::AvneraHeadsetBootloader:
            return 120;
        case DeviceRole::AvneraDongleBootloader:
            return 380;
        case DeviceRole::ZeltorHeadsetMCU:
            return 900;
        default:
            return 6;
    }
}

// The commands after which each target leaves the bus and comes back: a device that never (or
// late) returns is one that left at one of these. The application collections leave for their
// bootloader and, after the pairing, for a reset; the bootloaders at the plan's closing reset;
// the MCU for its update mode and back.
ByteVector restartCommand(DeviceRole target, bool second) {
    switch (target) {
        case DeviceRole::ZeltorHeadsetMCU:
            return second ? ByteVector{0x06, 0x88, 0x02} : ByteVector{0x06, 0x88, 0x01};
        case DeviceRole::ZeltorHeadset:
        case DeviceRole::ZeltorDongle:
            return second ? ByteVector{0xFF, 0x02, 0x00, 0x05} : ByteVector{0xFF, 0x02, 0x00, 0x0A};
        default:
            return {0xFF, 0x02, 0x00, 0x05};
    }
}

// The pairing id written to one chip (then comes the chip's selector), and its store command.
const ByteVector kPairingIdWrite{0xFF, 0x0D, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x08};
const ByteVector kPairingStore{0xFF, 0x05, 0x00, 0x39};

// A fault on the pairing: the id written to one chip or its store command refused, or its device
// pulled out as it comes (and perhaps plugged in again).
void pairingFault(SimFault& fault,
                  const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& pick) {
    fault.target = pick(0, 1) == 0 ? DeviceRole::ZeltorHeadset : DeviceRole::ZeltorDongle;
    fault.prefix = pick(0, 1) == 0 ? kPairingIdWrite : kPairingStore;
    fault.at = 1;
    if (pick(0, 1) == 0) {
        fault.action = SimFault::Action::Refuse;
        fault.times = pick(1, 3);
        return;
    }
    fault.action = SimFault::Action::Unplug;
    if (pick(0, 1) == 1) {
        fault.replugAfterMs = pick(100, 10000);
    }
}

SimFault randomFault(std::mt19937& rng) {
    const std::function<std::uint32_t(std::uint32_t, std::uint32_t)> pick =
        [&rng](std::uint32_t low, std::uint32_t high) {
            return std::uniform_int_distribution<std::uint32_t>(low, high)(rng);
        };
    SimFault fault;
    const std::uint32_t kind = pick(0, 8);
    if (kind == 8) {
        pairingFault(fault, pick);
        return fault;
    }
    // A lost or damaged answer needs a collection that answers.
    const bool onAnswer = kind == 1 || kind == 2;
    fault.target = kTargets[pick(0, onAnswer ? kLastAnswering : kLastTarget)];
    fault.at = pick(1, reportsSeen(fault.target));
    switch (kind) {
        case 0:
            fault.action = SimFault::Action::Refuse;
            fault.times = pick(1, 3);
            break;
        case 1:
            fault.action = SimFault::Action::DropAnswer;
            fault.times = pick(1, 7);
            break;
        case 2:
            fault.action = SimFault::Action::CorruptAnswer;
            break;
        case 3:
            fault.action = SimFault::Action::Unplug;
            if (pick(0, 1) == 1) {
                fault.replugAfterMs = pick(100, 10000);
            }
            break;
        case 4:
            fault.action = SimFault::Action::Unplug;
            fault.afterMs = pick(0, 40000);
            fault.at = 1;
            if (pick(0, 1) == 1) {
                fault.replugAfterMs = pick(100, 10000);
            }
            break;
        case 5:
            fault.action = SimFault::Action::NoReturn;
            fault.prefix = restartCommand(fault.target, pick(0, 1) == 1);
            fault.at = pick(1, 2);
            break;
        case 6:
            fault.action = SimFault::Action::LateReturn;
            fault.prefix = restartCommand(fault.target, pick(0, 1) == 1);
            fault.at = pick(1, 2);
            fault.delayMs = pick(1000, 60000);
            break;
        default:
            fault.action = SimFault::Action::Flood;
            fault.afterMs = pick(0, 20000);
            fault.at = 1;
            fault.floodIntervalMs = pick(1, 20);
            fault.floodForMs = pick(100, 5000);
            break;
    }
    return fault;
}

}  // namespace

bool isPairingFault(const SimFault& fault) {
    return fault.prefix == kPairingIdWrite || fault.prefix == kPairingStore;
}

SoakDraw drawSoakScenario(std::uint32_t seed) {
    std::mt19937 rng(seed);
    SoakDraw draw;
    draw.seed = seed;
    SimScenario& scenario = draw.scenario;
    // No re-enumeration delays beyond a moment: the faults are the story here.
    for (SimDeviceConfig* device : {&scenario.dongle, &scenario.headset}) {
        device->bootloaderDelayMs = 200;
        device->resetDelayMs = 200;
    }
    scenario.headset.mcu.updateModeDelayMs = 200;
    scenario.headset.mcu.closeDelayMs = 200;
    scenario.headset.mcu.patch =
        static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 1)(rng) * 7);
    const int faults = std::uniform_int_distribution<int>(1, 3)(rng);
    for (int i = 0; i < faults; ++i) {
        scenario.faults.push_back(randomFault(rng));
    }
    draw.withMcu = std::uniform_int_distribution<int>(0, 1)(rng) == 1;
    // The program cannot be told to send the MCU, so a replay says so where people look.
    scenario.description = "soak scenario of seed " + std::to_string(seed) +
                           (draw.withMcu ? ", run with the MCU sent" : ", MCU skipped");
    return draw;
}

}  // namespace zeltor::soak
