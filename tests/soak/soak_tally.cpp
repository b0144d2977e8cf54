#include "soak/soak_tally.h"

#include "sim/devices/sim_names.h"

namespace zeltor::soak {
namespace {

// An unplug on a timer and one on a report are different stories, so they are told apart, as
// are faults aimed at the pairing.
std::string kindOf(const SimFault& fault) {
    const std::string action = simActionName(fault.action);
    if (isPairingFault(fault)) {
        return action + " on the pairing";
    }
    return fault.action == SimFault::Action::Unplug && fault.afterMs ? action + " on a timer"
                                                                     : action;
}

}  // namespace

void SoakTally::add(const SoakDraw& draw, const SoakOutcome& outcome) {
    ++scenarios_;
    for (const SimFault& fault : draw.scenario.faults) {
        ++faultsDrawn_;
        ++kinds_[kindOf(fault)];
    }
    faultsActed_ += outcome.faultsActed;
    withMcu_ += draw.withMcu ? 1 : 0;
    cleanRetries_ += outcome.neededCleanRetry ? 1 : 0;
    if (!outcome.good()) {
        ++violations_;
        ++byKind_[outcome.violation];
    }
}

std::string SoakTally::summary() const {
    std::string drawn;
    for (const auto& [kind, count] : kinds_) {
        drawn += (drawn.empty() ? "" : ", ") + kind + " " + std::to_string(count);
    }
    std::string broken;
    for (const auto& [kind, count] : byKind_) {
        broken += (broken.empty() ? " (" : ", ") + std::string(violationName(kind)) + " " +
                  std::to_string(count);
    }
    return "faults drawn: " + std::to_string(faultsDrawn_) + " (" + drawn + ")\n" +
           "faults acted: " + std::to_string(faultsActed_) + "; MCU sent in " +
           std::to_string(withMcu_) + " scenarios; " + std::to_string(cleanRetries_) +
           " needed a fresh start after the faults\n" +
           "invariant violations: " + std::to_string(violations_) +
           (broken.empty() ? "" : broken + ")");
}

}  // namespace zeltor::soak
