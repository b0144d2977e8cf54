#include "program/simulated_console.h"

#include <cstdio>
#include <string>

#include "app/run_options.h"
#include "platform/console/console_application.h"
#include "program/simulated_machine.h"
#include "sim/scenario/scenario_json.h"
#include "ui/event_clock.h"
#include "ui/message_loop.h"

namespace zeltor {

int runSimulatedConsole(const FrontEndOptions& frontEnd, HostServices& realHost) {
    SimScenario scenario;
    if (frontEnd.scenarioFile) {
        std::string error;
        if (!loadScenarioFile(*frontEnd.scenarioFile, scenario, error)) {
            return consoleCannotStart(error);
        }
    }
    // Virtual time starts at the real date, so the log's run header still tells when it ran.
    EventClock clock(frontEnd.instant ? EventClock::Mode::Virtual : EventClock::Mode::RealTime,
                     systemClock().localDateTime());
    MessageLoop loop(clock);
    SimulatedMachine machine(scenario, clock, loop.poster(), realHost);

    // A check's JSON is the whole of its output, for the script that reads it.
    if (!frontEnd.json) {
        std::printf("Simulated headset and dongle%s%s\n",
                    frontEnd.instant ? ", in virtual time" : "",
                    scenario.description.empty() ? "." : (": " + scenario.description).c_str());
    }
    ConsoleWorld console{loop, machine.bus, machine.host, machine.random, {}, {}, {}, false};
    console.replugHeadset = [&machine] {
        machine.person.replugHeadset();
        return true;
    };
    console.verdict = [&machine] { return machine.verdict(); };
    return runConsoleWorld(console, frontEnd);
}

}  // namespace zeltor
