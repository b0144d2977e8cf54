#include "program/simulated_console.h"

#include <cstdio>
#include <string>

#include "app/run_options.h"
#include "platform/console/console_application.h"
#include "program/simulated_machine.h"
#include "sim/replay/simulation_file.h"
#include "ui/event_clock.h"
#include "ui/message_loop.h"

namespace zeltor {

int runSimulatedConsole(const FrontEndOptions& frontEnd, HostServices& realHost) {
    SimulationFile file;
    if (frontEnd.scenarioFile) {
        std::string error;
        if (!loadSimulationFile(*frontEnd.scenarioFile, file, error)) {
            return consoleCannotStart(error);
        }
    }
    // Virtual time starts at the real date, so the log's run header still tells when it ran.
    EventClock clock(frontEnd.instant ? EventClock::Mode::Virtual : EventClock::Mode::RealTime,
                     systemClock().localDateTime());
    MessageLoop loop(clock);
    SimulatedMachine machine(file, clock, loop.poster(), realHost);

    // A check's JSON is the whole of its output, for the script that reads it.
    if (!frontEnd.json) {
        const char* time = frontEnd.instant ? ", in virtual time" : "";
        if (file.kind == SimulationFile::Kind::Log) {
            std::printf("Replaying the run of %s from %s%s.\n", file.log.runStarted.c_str(),
                        frontEnd.scenarioFile->c_str(), time);
        } else {
            const std::string& description = file.scenario.description;
            std::printf("Simulated headset and dongle%s%s\n", time,
                        description.empty() ? "." : (": " + description).c_str());
        }
    }
    ConsoleWorld console{loop, machine.hid(), machine.host, machine.random, {}, {}, {}, false};
    console.replugHeadset = [&machine] { return machine.replugHeadset(); };
    console.verdict = [&machine] { return machine.verdict(); };
    return runConsoleWorld(console, frontEnd);
}

}  // namespace zeltor
