#pragma once

#include "app/front_end_options.h"
#include "host/host_services.h"

namespace zeltor {

// Runs the console front end against the simulated headset and dongle of the front end's
// scenario (the default world without one), or the recorded devices of a log's run, in real or
// virtual time; returns the exit code.
// The simulated machine keeps its values and processes to itself; only the log goes to the
// documents folder of `realHost`, where the product writes it.
int runSimulatedConsole(const FrontEndOptions& frontEnd, HostServices& realHost);

}  // namespace zeltor
