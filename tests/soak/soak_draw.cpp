#include "soak/soak_draw.h"

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

SimFault randomFault(std::mt19937& rng) {
    const auto pick = [&rng](std::uint32_t low, std::uint32_t high) {
        return std::uniform_int_distribution<std::uint32_t>(low, high)(rng);
    };
    SimFault fault;
    const std::uint32_t kind = pick(0, 7);
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
            fault.at = 1;
            break;
        case 6:
            fault.action = SimFault::Action::LateReturn;
            fault.at = 1;
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
