#include "program/real_console_linux.h"

#include <cstdio>
#include <string>

#include "platform/console/console_application.h"
#include "platform/console/console_runner.h"
#include "platform/linux/hidraw_backend_linux.h"
#include "program/device_access_linux.h"
#include "ui/event_clock.h"
#include "ui/message_loop.h"

namespace zeltor {

int runRealConsole(const FrontEndOptions& frontEnd, LinuxHostServices& host) {
    EventClock clock(EventClock::Mode::RealTime, systemClock().localDateTime());
    MessageLoop loop(clock);
    HidrawBackend hid(loop.poster());
    hid.enumerateInterfaces();
    if (const DeviceAccessProblem problem = deviceAccessProblem(hid); !problem.failures.empty()) {
        for (const std::string& failure : problem.failures) {
            std::fprintf(stderr, "brennic-firmware-update: %s\n", failure.c_str());
        }
        std::fprintf(stderr, "%s", DeviceAccessProblem::kFix);
        return kExitCannotStart;
    }
    CRandom random;
    ConsoleWorld world{loop, hid, host, random, {}, {}, {}, false};
    if (hid.eventFd() >= 0) {
        world.eventSources.push_back({hid.eventFd(), [&hid] { hid.handleEvents(); }});
    }
    return runConsoleWorld(world, frontEnd);
}

}  // namespace zeltor
