#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "hid/hid_backend.h"

namespace zeltor {

struct DeviceChange;

// The device-change notifications a HID backend sends: arrivals and removals of interfaces to
// one sink, removals of an open handle's device to the sinks registered for that handle. All go
// out through `post`, the host loop's way to run work later on the user-interface thread in
// order, so that none is handled in the middle of a blocking wait.
class HidNotifications {
public:
    using Post = std::function<void(std::function<void()>)>;

    // Registrations are numbered from `firstRegistration` on.
    HidNotifications(Post post, HidRegistration firstRegistration);

    // nullptr stops interface notifications.
    void setInterfaceSink(DeviceChangeSink* sink) { interfaceSink_ = sink; }
    void interfaceChanged(std::uint32_t eventType, const std::string& path);

    HidRegistration registerHandle(HidHandle handle, DeviceChangeSink* sink);
    void unregister(HidRegistration registration);
    // The handle's device has gone; with `queryRemove` its sinks are first asked to let go, as
    // for an orderly removal.
    void handleRemoved(HidHandle handle, bool queryRemove);

private:
    struct Registration {
        HidHandle handle;
        DeviceChangeSink* sink;
    };

    void notify(DeviceChangeSink* sink, const DeviceChange& change);

    Post post_;
    DeviceChangeSink* interfaceSink_ = nullptr;
    std::map<HidRegistration, Registration> registrations_;
    HidRegistration nextRegistration_;
};

}  // namespace zeltor
