#include "program/real_console_win32.h"

#include "base/c_random.h"
#include "base/clock.h"
#include "platform/console/console_application.h"
#include "platform/win32/hid_backend_win32.h"
#include "platform/win32/notification_window_win32.h"
#include "platform/win32/waiting_clock_win32.h"
#include "ui/event_clock.h"
#include "ui/message_loop.h"

namespace zeltor {

int runRealConsole(const FrontEndOptions& frontEnd, Win32HostServices& host) {
    EventClock clock(EventClock::Mode::RealTime, systemClock().localDateTime());
    MessageLoop loop(clock);
    // The console has no window of its own for the system's device notifications; this one
    // hands them to the backend, which gives each to the core as it comes.
    Win32HidBackend* backend = nullptr;
    NotificationWindow window([&backend](const DeviceChange& change) {
        if (backend != nullptr) {
            backend->deliver(change);
        }
    });
    Win32HidBackend hid(window.handle());
    backend = &hid;
    CRandom random;
    // The controller's blocking waits take in the system's notices, which it handles after them.
    WaitingClock waitingClock(clock);
    ConsoleWorld world{loop, hid, host, random, {}, {}, {}, true, &waitingClock};
    return runConsoleWorld(world, frontEnd);
}

}  // namespace zeltor
