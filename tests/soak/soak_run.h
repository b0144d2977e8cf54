#pragma once

#include <cstddef>
#include <string>

#include "soak/soak_draw.h"

namespace zeltor::soak {

// The ways a soak scenario can break the invariant.
enum class SoakViolation {
    None,
    FalseSuccess,               // success with memory that differs from the images, or unpaired
    ReflashAfterPairingFailed,  // left alone after a pairing that failed, the tool flashed again
    ReflashByItself,            // left alone after any other failure, the tool sent a report
    NoCompleteUpdate,           // the faults stopped, yet the tool never finished its job
    FlashAfterFailure,          // after a failure a device got a flash before anyone acted
    ExcessPlans,                // a chip started more plans than a person's actions allow
    WorkerDied,                 // the process running the scenario crashed (zeltor-soak only)
};
inline constexpr int kSoakViolationKinds = 8;

// "false success", "re-flash by itself after a failed pairing", ...
const char* violationName(SoakViolation violation);

struct SoakOutcome {
    SoakViolation violation = SoakViolation::None;
    bool neededCleanRetry = false;
    std::size_t faultsActed = 0;
    std::string problem;  // what broke the invariant, one line

    bool good() const { return violation == SoakViolation::None; }
};

// Runs the scenario as a person would: presses Start, replugs the headset when the dialog asks
// (twice at most), and, once the faults stop, plugs both devices in afresh and starts the tool
// again until it has done its job. The invariant: no run ends in success with memory that
// differs from the images or with unpaired devices; once the faults have stopped, the tool,
// failed and left alone, sends nothing; and after the faults stop the world ends in a complete
// update. Judged from the devices' own record, whatever the faults: after a failure no device is
// sent a bootloader entry, plan packet or update-mode command until a person acts, and no chip
// starts more plans than the person's actions allow.
SoakOutcome runSoakScenario(const SoakDraw& draw);

}  // namespace zeltor::soak
