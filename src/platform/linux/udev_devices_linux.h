#pragma once

#include <libudev.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/udev_hid_id_linux.h"

namespace zeltor {

struct UdevUnref {
    void operator()(udev* context) const { udev_unref(context); }
    void operator()(udev_device* device) const { udev_device_unref(device); }
    void operator()(udev_enumerate* enumeration) const { udev_enumerate_unref(enumeration); }
    void operator()(udev_monitor* monitor) const { udev_monitor_unref(monitor); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevUnref>;

// A hidraw node as udev lists it, with the identity of the HID device behind it when known.
struct UdevHidrawNode {
    std::string node;  // "/dev/hidrawN"
    std::optional<HidId> id;
};

// The hidraw nodes of the system and who they belong to, read from sysfs through libudev (which
// needs no udev daemon for this).
class UdevDevices {
public:
    UdevDevices();

    // Null when libudev could not start; every question then has no answer.
    udev* context() const { return context_.get(); }

    // Every hidraw node present, in udev's order.
    std::vector<UdevHidrawNode> hidrawNodes() const;

    // The identity behind a node, found by its device number; works on a node the user may not
    // open.
    std::optional<HidId> identityOfNode(const std::string& node) const;

private:
    UdevPtr<udev> context_;
};

// The identity of the HID device a hidraw device of udev belongs to.
std::optional<HidId> hidIdOf(udev_device* hidraw);

}  // namespace zeltor
