#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/c_random.h"
#include "base/clock.h"
#include "hid/hid_backend.h"
#include "host/host_services.h"
#include "platform/console/console_input.h"
#include "ui/message_loop.h"

namespace zeltor {

struct FrontEndOptions;

// What the console front end runs an update against: the devices' HID stack, the host, and the
// loop (with its clock) that they post their notifications to. The program's entry point builds
// it, from the simulation or from the platform's real backends; the front end is the same.
struct ConsoleWorld {
    MessageLoop& loop;
    HidBackend& hid;
    HostServices& host;
    CRandom& random;
    // Plays the person who unplugs and replugs the headset after a failure; false (or empty)
    // where the person at the desk has to do it.
    std::function<bool()> replugHeadset;
    // A line that judges the run once it is over (the simulation's verdict); empty for none.
    std::function<std::string()> verdict;
    // What the loop waits on besides the terminal and the clock (the device monitor).
    std::vector<ConsoleEventSource> eventSources;
    // Device changes arrive as window messages, which the terminal's wait dispatches: devices
    // can come even with no event source to watch.
    bool devicesBySystemMessages = false;
    // The clock of the controller's blocking waits, where the platform has its own (one that
    // lets the system's messages in meanwhile); the loop's clock when null.
    Clock* controllerClock = nullptr;
};

// Runs one update in the terminal against `world`, says where the log went, and returns the exit
// code.
int runConsoleUpdate(ConsoleWorld& world);

// Asks the devices of `world` for their versions, changing nothing on them or on the host,
// prints what each holds and whether this package would update it (as text, or as one JSON
// object when `json`), and returns the check's exit code.
int runConsoleCheck(ConsoleWorld& world, bool json);

// What the front end's options ask of `world`: the check (/CHECK) or an update.
int runConsoleWorld(ConsoleWorld& world, const FrontEndOptions& frontEnd);

// Builds a world for the front end's options and runs the update in it; returns the exit code.
using ConsoleWorldRunner = std::function<int(const FrontEndOptions&)>;

// The program in a terminal: parses the switches, takes the single-instance lock and runs the
// update in the simulated world (/SIMULATE) or the real one. An empty runner is a world this
// build does not have. Returns the exit code.
int runConsoleApplication(std::uint32_t count, const char* const* arguments,
                          const ConsoleWorldRunner& simulated, const ConsoleWorldRunner& real);

// Says on standard error why the program cannot start; returns the exit code for it.
int consoleCannotStart(const std::string& message);

}  // namespace zeltor
