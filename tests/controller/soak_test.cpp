// Many runs with random faults drawn from every kind the simulation has, each followed by clean
// retries as a person would make them. Whatever happens, a run never ends in success with
// memory that differs from the images or with unpaired devices, and once the faults stop the
// tool always brings both devices to a complete update.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "controller/update_rig.h"
#include "host/update_flag.h"

namespace zeltor::test {
namespace {

constexpr DeviceRole kTargets[] = {DeviceRole::ZeltorHeadsetMCU, DeviceRole::ZeltorHeadset,
                                   DeviceRole::ZeltorDongle, DeviceRole::AvneraHeadsetBootloader,
                                   DeviceRole::AvneraDongleBootloader};

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
    fault.target = kTargets[pick(0, 4)];
    fault.at = pick(1, reportsSeen(fault.target));
    switch (pick(0, 7)) {
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

struct Outcome {
    bool succeeded = false;
    bool neededCleanRetry = false;
    std::size_t faultsActed = 0;
    std::string problem;
};

// Whether a run that claims success really left both chips (and the MCU when it was sent)
// holding the images and both devices paired.
std::string checkSuccess(UpdateRig& rig) {
    if (!memoryHolds(rig.world().headset().eeprom(), embeddedImage(132))) {
        return "success claimed with a headset image that differs";
    }
    if (!memoryHolds(rig.world().dongle().eeprom(), embeddedImage(131))) {
        return "success claimed with a dongle image that differs";
    }
    if (!rig.options().m_SkipMCU &&
        !memoryHolds(rig.world().headset().mcuFlash(), embeddedImage(134))) {
        return "success claimed with an MCU image that differs";
    }
    if (rig.world().headset().pairingId() != rig.world().dongle().pairingId()) {
        return "success claimed with unpaired devices";
    }
    return {};
}

// Runs the program until it succeeds or nothing more happens, replugging the headset whenever
// the dialog asks for it, at most `replugs` times.
void runLikeAPerson(UpdateRig& rig, int replugs) {
    for (;;) {
        rig.dialog.runUntil(
            [&] {
                const int state = rig.dlg().state();
                if (state == DFU_STATE_READY && rig.dialog.control(1013).visible) {
                    rig.pressStart();
                }
                return state == DFU_STATE_SUCCESS ||
                       (state == DFU_STATE_FAILED && rig.dialog.pendingWork() == 0);
            },
            20min);
        if (rig.dlg().state() != DFU_STATE_FAILED || replugs-- == 0 ||
            rig.dlg().failedRetries() > 5) {
            return;
        }
        rig.world().headset().unplug();
        rig.runFor(2s);
        rig.world().headset().plug();
    }
}

Outcome soak(std::uint32_t seed) {
    std::mt19937 rng(seed);
    SimScenario scenario;
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
    UpdateRig rig(scenario, false);
    const bool withMcu = std::uniform_int_distribution<int>(0, 1)(rng) == 1;
    const auto setOptions = [&rig, withMcu] { rig.options().m_SkipMCU = !withMcu; };
    setOptions();
    rig.start();
    runLikeAPerson(rig, 2);
    Outcome outcome;
    outcome.faultsActed = rig.world().faultsActed().size();
    if (rig.dlg().state() == DFU_STATE_SUCCESS) {
        outcome.problem = checkSuccess(rig);
        outcome.succeeded = outcome.problem.empty();
        return outcome;
    }
    // The troubles end. The user plugs both devices in again and starts the tool afresh until
    // it has done its job.
    rig.world().stopFaults();
    outcome.neededCleanRetry = true;
    for (int attempt = 0; attempt < 4 && !outcome.succeeded; ++attempt) {
        rig.stopProgram();
        for (SimDevice* device : rig.world().devices()) {
            device->unplug();
        }
        rig.runFor(1s);
        for (SimDevice* device : rig.world().devices()) {
            device->plug();
        }
        rig.options() = RunOptions{};
        setOptions();
        rig.start();
        runLikeAPerson(rig, 2);
        if (rig.dlg().state() == DFU_STATE_SUCCESS) {
            outcome.problem = checkSuccess(rig);
            outcome.succeeded = outcome.problem.empty();
        }
    }
    if (!outcome.succeeded && outcome.problem.empty()) {
        outcome.problem = "no complete update after the faults stopped (state " +
                          std::to_string(rig.dlg().state()) + ")";
    }
    return outcome;
}

class SoakTest : public ::testing::TestWithParam<std::uint32_t> {};

// Each shard runs its own seeds, so the shards share the machine's cores. Builds that run far
// slower (the sanitizers) ask for fewer scenarios through ZELTOR_SOAK_SCENARIOS_PER_SHARD.
constexpr std::uint32_t kShards = 8;

std::uint32_t scenariosPerShard() {
    const char* value = std::getenv("ZELTOR_SOAK_SCENARIOS_PER_SHARD");
    const long count = value != nullptr ? std::strtol(value, nullptr, 10) : 0;
    return count > 0 ? static_cast<std::uint32_t>(count) : 400;
}

TEST_P(SoakTest, RandomFaultsNeverLeaveADeviceBehind) {
    const std::uint32_t kScenariosPerShard = scenariosPerShard();
    const std::uint32_t first = GetParam() * kScenariosPerShard;
    std::uint32_t retried = 0;
    std::size_t acted = 0;
    for (std::uint32_t seed = first; seed < first + kScenariosPerShard; ++seed) {
        const Outcome outcome = soak(seed);
        ASSERT_TRUE(outcome.succeeded) << "seed " << seed << ": " << outcome.problem;
        retried += outcome.neededCleanRetry ? 1 : 0;
        acted += outcome.faultsActed;
    }
    RecordProperty("scenarios", static_cast<int>(kScenariosPerShard));
    std::printf(
        "soak shard %u: %u random fault scenarios (%zu faults acted, %u needed a fresh "
        "start after the faults), all ended in a complete update\n",
        GetParam(), kScenariosPerShard, acted, retried);
}

INSTANTIATE_TEST_SUITE_P(Shards, SoakTest, ::testing::Range<std::uint32_t>(0, kShards));

}  // namespace
}  // namespace zeltor::test
