#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "hid/device_change.h"
#include "hid/hid_backend.h"
#include "hid/hid_notifications.h"
#include "sim/sim_collection.h"
#include "ui/event_clock.h"

namespace zeltor {

// The HID stack of the simulated world: which collections are on the bus, the host's handles to
// them with their input buffers, and the device-change notifications a real system would send.
// Notifications go out through `post`, the host loop's way to run work later on the
// user-interface thread in order, so that none is handled in the middle of a blocking wait.
class SimHidBackend final : public HidBackend {
public:
    using Post = std::function<void(std::function<void()>)>;
    // Input reports a handle buffers before the oldest are dropped, as HID drivers do.
    static constexpr std::size_t kInputBufferReports = 32;

    SimHidBackend(EventClock& scheduler, Post post);
    ~SimHidBackend();
    SimHidBackend(const SimHidBackend&) = delete;
    SimHidBackend& operator=(const SimHidBackend&) = delete;

    // The device side.
    void attach(SimCollection& collection);
    // Takes the collection off the bus: open handles die, and the host is told. With
    // `queryRemove` the handles' owners are asked to let go first, as for an orderly removal.
    void detach(SimCollection& collection, bool queryRemove = false);
    bool isAttached(const SimCollection& collection) const;
    // Delivers an input report to every handle open on the collection.
    void queueInput(const SimCollection& collection, const ByteVector& report);
    EventClock& scheduler() { return scheduler_; }

    // HidBackend
    std::vector<std::string> enumerateInterfaces() override;
    void registerInterfaceNotifications(DeviceChangeSink* sink) override;
    bool probe(const std::string& path, HidAttributes& attributes, HidCaps& caps) override;
    HidHandle open(const std::string& path) override;
    void close(HidHandle handle) override;
    HidRegistration registerHandleNotification(HidHandle handle, DeviceChangeSink* sink) override;
    void unregisterHandleNotification(HidRegistration registration) override;
    HidTransfer writeOutputReport(HidHandle handle, const ByteVector& report,
                                  std::uint32_t timeoutMs) override;
    std::optional<ByteVector> readInputReport(HidHandle handle, std::size_t length,
                                              std::uint32_t timeoutMs) override;
    HidTransfer setFeature(HidHandle handle, const ByteVector& report) override;
    bool getFeature(HidHandle handle, ByteVector& report) override;

private:
    struct OpenHandle {
        SimCollection* collection;  // null once the device has gone
        std::deque<ByteVector> input;
        // When the handle's last output report reaches the device; writes go out in order.
        EventClock::Nanoseconds writesDone{0};
    };

    SimCollection* findPresent(const std::string& path) const;
    OpenHandle* live(HidHandle handle);

    EventClock& scheduler_;
    HidNotifications notifications_;
    std::vector<SimCollection*> present_;  // in attach order, as enumeration lists them
    std::map<HidHandle, OpenHandle> handles_;
    std::set<EventClock::EventId> writesUnderWay_;
    HidHandle nextHandle_ = 0x100;
};

}  // namespace zeltor
