#pragma once

#include "app/front_end_options.h"
#include "platform/linux/host_services_linux.h"

namespace zeltor {

// Runs the console front end against the real headset and dongle through hidraw, on the real
// host; returns the exit code. A device whose node the user may not open ends the run before
// anything is sent, with the fix.
int runRealConsole(const FrontEndOptions& frontEnd, LinuxHostServices& host);

}  // namespace zeltor
