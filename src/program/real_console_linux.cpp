#include "program/real_console_linux.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "hid/device_role.h"
#include "platform/console/console_application.h"
#include "platform/console/console_runner.h"
#include "platform/linux/hidraw_backend_linux.h"
#include "ui/event_clock.h"
#include "ui/message_loop.h"

namespace zeltor {
namespace {

// What a person calls the device behind a vendor and product id; nothing for other devices.
const char* deviceName(const HidId& id) {
    if (id.vendorId == kZeltorVendorId && id.productId == kZeltorHeadsetProductId) {
        return "the Zeltor headset";
    }
    if (id.vendorId == kZeltorVendorId && id.productId == kZeltorDongleProductId) {
        return "the Zeltor USB receiver";
    }
    if (id.vendorId == kAvneraVendorId && id.productId == kAvneraHeadsetBootloaderProductId) {
        return "the Zeltor headset (in its update mode)";
    }
    if (id.vendorId == kAvneraVendorId && id.productId == kAvneraDongleBootloaderProductId) {
        return "the Zeltor USB receiver (in its update mode)";
    }
    return nullptr;
}

// Says which of our devices cannot be opened and how to fix it; false when there is one.
bool devicesCanBeOpened(const HidrawBackend& hid) {
    bool fine = true;
    for (const HidrawAccessFailure& failure : hid.accessFailures()) {
        const char* name = failure.id ? deviceName(*failure.id) : nullptr;
        if (name == nullptr) {
            continue;
        }
        fine = false;
        std::fprintf(stderr, "brennic-firmware-update: cannot open %s (%s, %04x:%04x): %s\n",
                     failure.node.c_str(), name, failure.id->vendorId, failure.id->productId,
                     std::strerror(failure.error));
    }
    if (!fine) {
        std::fprintf(stderr,
                     "Install the udev rule that lets you reach the devices, then unplug and plug "
                     "them in again:\n"
                     "  sudo cp 70-brennic-firmware-update.rules /etc/udev/rules.d/\n"
                     "  sudo udevadm control --reload && sudo udevadm trigger\n"
                     "(the rule comes with the program, in lib/udev/rules.d of its install "
                     "folder), or run the program with sudo.\n");
    }
    return fine;
}

}  // namespace

int runRealConsole(const FrontEndOptions& /*frontEnd*/, LinuxHostServices& host) {
    EventClock clock(EventClock::Mode::RealTime, systemClock().localDateTime());
    MessageLoop loop(clock);
    HidrawBackend hid(loop.poster());
    hid.enumerateInterfaces();
    if (!devicesCanBeOpened(hid)) {
        return kExitCannotStart;
    }
    CRandom random;
    ConsoleWorld world{loop, hid, host, random, {}, {}, {}, false};
    if (hid.eventFd() >= 0) {
        world.eventSources.push_back({hid.eventFd(), [&hid] { hid.handleEvents(); }});
    }
    return runConsoleUpdate(world);
}

}  // namespace zeltor
