#include "sim/simulation_verdict.h"

#include <algorithm>
#include <cstdio>

#include "sim/scenario/sim_world.h"

namespace zeltor {
namespace {

// Whether memory starts with the image; an empty image (none could be had) never matches.
bool holds(const ByteVector& memory, const ByteVector& image) {
    return !image.empty() && memory.size() >= image.size() &&
           std::equal(image.begin(), image.end(), memory.begin());
}

std::string part(const char* name, bool skipped, bool matches) {
    return std::string(name) +
           (skipped ? " skipped" : (matches ? " matches its image" : " DIFFERS from its image"));
}

}  // namespace

SimulationVerdict judgeSimulation(SimWorld& world, const SimExpectedImages& images,
                                  bool headsetSkipped, bool dongleSkipped, bool mcuSkipped) {
    const bool headset = holds(world.headset().eeprom(), images.headset);
    const bool dongle = holds(world.dongle().eeprom(), images.dongle);
    const bool mcu = holds(world.headset().mcuFlash(), images.mcu);
    const bool paired = world.headset().pairingId() == world.dongle().pairingId();
    const std::vector<std::string> errors = world.deviceErrors();
    char pairing[64];
    std::snprintf(pairing, sizeof pairing, paired ? "both paired to 0x%08x" : "NOT paired (0x%08x)",
                  world.dongle().pairingId());
    SimulationVerdict verdict;
    verdict.memoriesAndPairing =
        (headsetSkipped || headset) && (dongleSkipped || dongle) && (mcuSkipped || mcu) && paired;
    verdict.deviceErrors = errors.size();
    verdict.good = verdict.memoriesAndPairing && errors.empty();
    verdict.line = std::string("Simulation: ") + part("headset", headsetSkipped, headset) + ", " +
                   part("dongle", dongleSkipped, dongle) + ", " + part("MCU", mcuSkipped, mcu) +
                   ", " + pairing + ".";
    if (!errors.empty()) {
        verdict.line += " " + std::to_string(errors.size()) +
                        (errors.size() == 1 ? " DEVICE ERROR: " : " DEVICE ERRORS, the first: ") +
                        errors.front();
    }
    return verdict;
}

}  // namespace zeltor
