#pragma once

#include <string>

#include "base/bytes.h"

namespace zeltor {

// The firmware images a run was to bring to the devices, as the images themselves give them:
// the headset's and the dongle's parsed from their image text, the MCU's raw bytes. An image
// that could not be had is empty and matches no memory.
struct SimExpectedImages {
    ByteVector headset;
    ByteVector dongle;
    ByteVector mcu;
};

struct SimulationVerdict {
    bool good = false;
    bool memoriesAndPairing = false;  // good but perhaps for the device errors
    std::size_t deviceErrors = 0;
    std::string line;  // one line for people
};

class SimWorld;

// Whether each device's memory holds its image, both hold one pairing id, and no device found a
// report it was sent senseless.
SimulationVerdict judgeSimulation(SimWorld& world, const SimExpectedImages& images,
                                  bool headsetSkipped, bool dongleSkipped, bool mcuSkipped);

}  // namespace zeltor
