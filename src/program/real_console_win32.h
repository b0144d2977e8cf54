#pragma once

#include "app/front_end_options.h"
#include "platform/win32/host_services_win32.h"

namespace zeltor {

// Runs the console front end against the real headset and dongle through the system's HID
// stack, on the real host; returns the exit code.
int runRealConsole(const FrontEndOptions& frontEnd, Win32HostServices& host);

}  // namespace zeltor
