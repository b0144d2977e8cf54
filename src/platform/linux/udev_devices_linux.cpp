#include "platform/linux/udev_devices_linux.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "trace/trace_log.h"

namespace zeltor {

UdevDevices::UdevDevices() : context_(udev_new()) {
    if (!context_) {
        const int error = errno;
        Trace("libudev did not start: %s (errno %d)\n", std::strerror(error), error);
    }
}

std::optional<HidId> hidIdOf(udev_device* hidraw) {
    // The parent is owned by its child and released with it.
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
    const char* text = hid != nullptr ? udev_device_get_property_value(hid, "HID_ID") : nullptr;
    if (text == nullptr) {
        return std::nullopt;
    }
    return parseHidId(text);
}

std::vector<UdevHidrawNode> UdevDevices::hidrawNodes() const {
    std::vector<UdevHidrawNode> nodes;
    if (!context_) {
        return nodes;
    }
    const UdevPtr<udev_enumerate> enumeration(udev_enumerate_new(context_.get()));
    if (!enumeration || udev_enumerate_add_match_subsystem(enumeration.get(), "hidraw") < 0 ||
        udev_enumerate_scan_devices(enumeration.get()) < 0) {
        const int error = errno;
        Trace("Cannot list the hidraw devices: %s (errno %d)\n", std::strerror(error), error);
        return nodes;
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
        const UdevPtr<udev_device> device(
            udev_device_new_from_syspath(context_.get(), udev_list_entry_get_name(entry)));
        const char* node = device ? udev_device_get_devnode(device.get()) : nullptr;
        if (node != nullptr) {
            nodes.push_back({node, hidIdOf(device.get())});
        }
    }
    return nodes;
}

std::optional<HidId> UdevDevices::identityOfNode(const std::string& node) const {
    struct stat status {};
    if (!context_ || stat(node.c_str(), &status) != 0 || !S_ISCHR(status.st_mode)) {
        return std::nullopt;
    }
    const UdevPtr<udev_device> device(
        udev_device_new_from_devnum(context_.get(), 'c', status.st_rdev));
    return device ? hidIdOf(device.get()) : std::nullopt;
}

}  // namespace zeltor
