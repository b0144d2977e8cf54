#pragma once

#include "app/front_end_options.h"

namespace zeltor {

// Runs the console front end against the simulated headset and dongle of the front end's
// scenario (the default world without one), in real or virtual time; returns the exit code.
int runSimulatedConsole(const FrontEndOptions& frontEnd);

}  // namespace zeltor
