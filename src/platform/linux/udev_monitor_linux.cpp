#include "platform/linux/udev_monitor_linux.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "trace/trace_log.h"

namespace zeltor {
namespace {

// The udev daemon's control socket, there while the daemon runs.
constexpr char kUdevdControl[] = "/run/udev/control";

}  // namespace

UdevHidrawMonitor::UdevHidrawMonitor(udev* context) {
    if (context == nullptr) {
        Trace("No hidraw hotplug: libudev did not start\n");
        return;
    }
    const char* source = access(kUdevdControl, F_OK) == 0 ? "udev" : "kernel";
    monitor_.reset(udev_monitor_new_from_netlink(context, source));
    if (!monitor_ ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_.get(), "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_.get()) < 0) {
        const int error = errno;
        Trace("No hidraw hotplug: the %s monitor did not start: %s (errno %d)\n", source,
              std::strerror(error), error);
        monitor_.reset();
    }
}

int UdevHidrawMonitor::fd() const {
    return monitor_ ? udev_monitor_get_fd(monitor_.get()) : -1;
}

std::vector<UdevHidrawEvent> UdevHidrawMonitor::drain() {
    std::vector<UdevHidrawEvent> events;
    if (!monitor_) {
        return events;
    }
    // The socket does not block: receiving ends when nothing waits.
    while (const UdevPtr<udev_device> device{udev_monitor_receive_device(monitor_.get())}) {
        const char* action = udev_device_get_action(device.get());
        const char* subsystem = udev_device_get_subsystem(device.get());
        const char* node = udev_device_get_devnode(device.get());
        // The kernel source is not filtered before it reaches here.
        if (action == nullptr || node == nullptr || subsystem == nullptr ||
            std::strcmp(subsystem, "hidraw") != 0) {
            continue;
        }
        if (std::strcmp(action, "add") == 0) {
            events.push_back({UdevHidrawEvent::Action::Added, node});
        } else if (std::strcmp(action, "remove") == 0) {
            events.push_back({UdevHidrawEvent::Action::Removed, node});
        }
    }
    return events;
}

}  // namespace zeltor
