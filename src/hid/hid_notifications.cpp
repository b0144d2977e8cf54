#include "hid/hid_notifications.h"

#include <utility>

#include "hid/device_change.h"

namespace zeltor {

HidNotifications::HidNotifications(Post post, HidRegistration firstRegistration)
    : post_(std::move(post)), nextRegistration_(firstRegistration) {}

void HidNotifications::notify(DeviceChangeSink* sink, const DeviceChange& change) {
    if (sink == nullptr || !post_) {
        return;
    }
    post_([sink, change] { sink->deviceChanged(change); });
}

void HidNotifications::interfaceChanged(std::uint32_t eventType, const std::string& path) {
    DeviceChange change;
    change.eventType = eventType;
    change.hasHeader = true;
    change.deviceType = DBT_DEVTYP_DEVICEINTERFACE;
    change.devicePath = path;
    notify(interfaceSink_, change);
}

HidRegistration HidNotifications::registerHandle(HidHandle handle, DeviceChangeSink* sink) {
    const HidRegistration id = nextRegistration_++;
    registrations_.emplace(id, Registration{handle, sink});
    return id;
}

void HidNotifications::unregister(HidRegistration registration) {
    registrations_.erase(registration);
}

void HidNotifications::handleRemoved(HidHandle handle, bool queryRemove) {
    for (const auto& [id, registration] : registrations_) {
        if (registration.handle != handle) {
            continue;
        }
        DeviceChange change;
        change.hasHeader = true;
        change.deviceType = DBT_DEVTYP_HANDLE;
        change.handle = handle;
        if (queryRemove) {
            change.eventType = DBT_DEVICEQUERYREMOVE;
            notify(registration.sink, change);
        }
        change.eventType = DBT_DEVICEREMOVECOMPLETE;
        notify(registration.sink, change);
    }
}

}  // namespace zeltor
