#pragma once

#include <string>
#include <vector>

#include "platform/linux/udev_devices_linux.h"

namespace zeltor {

struct UdevHidrawEvent {
    enum class Action { Added, Removed };
    Action action;
    std::string node;  // "/dev/hidrawN"
};

// Hidraw nodes coming and going, from a netlink socket that the program's event loop watches.
// With a udev daemon the events come from it, once it has set up the node (permissions
// included); without one (containers, a bare test system) they come straight from the kernel.
class UdevHidrawMonitor {
public:
    explicit UdevHidrawMonitor(udev* context);

    // Readable when events wait; -1 when the monitor could not be set up.
    int fd() const;
    // The events waiting now, without blocking.
    std::vector<UdevHidrawEvent> drain();

private:
    UdevPtr<udev_monitor> monitor_;
};

}  // namespace zeltor
