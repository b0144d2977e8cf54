#pragma once

#include <cstdint>

#include "sim/scenario/scenario.h"

namespace zeltor::soak {

// One soak scenario: a world with one to three faults of every kind the simulation has, and
// faults aimed at the pairing, drawn from a seed, and whether the run sends the MCU as well. The
// seed alone makes it again.
struct SoakDraw {
    std::uint32_t seed = 0;
    SimScenario scenario;
    bool withMcu = false;
};

SoakDraw drawSoakScenario(std::uint32_t seed);

// Whether `fault` is aimed at the pairing reports, for the tally.
bool isPairingFault(const SimFault& fault);

}  // namespace zeltor::soak
