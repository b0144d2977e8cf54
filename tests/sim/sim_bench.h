#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hid/device_change.h"
#include "hid/device_updater.h"
#include "sim/scenario/scenario.h"
#include "sim/scenario/sim_world.h"
#include "sim/sim_hid_backend.h"
#include "support/log_capture.h"
#include "support/posted_work.h"
#include "ui/event_clock.h"

namespace zeltor::test {

// Device-change notifications with the virtual time at which they were handed out.
class ChangeRecorder final : public DeviceChangeSink {
public:
    struct Entry {
        std::chrono::milliseconds time;
        DeviceChange change;
    };

    explicit ChangeRecorder(const Clock& clock) : clock_(clock) {}
    void deviceChanged(const DeviceChange& change) override;
    // When `path` last arrived, or was last removed; nothing when it never was.
    std::optional<std::chrono::milliseconds> lastArrival(const std::string& path) const;
    std::optional<std::chrono::milliseconds> lastRemoval(const std::string& path) const;

private:
    std::optional<std::chrono::milliseconds> last(std::uint32_t event,
                                                  const std::string& path) const;
    const Clock& clock_;
    std::vector<Entry> entries_;
};

// A scenario's world on a simulated HID stack in virtual time, with the trace captured and the
// scheduler installed as the clock every wait of the channel goes through.
class SimBench {
public:
    explicit SimBench(const std::string& scenarioJson = "{}");
    ~SimBench();

    SimWorld& world() { return *world_; }
    SimDevice& headset() { return world_->headset(); }
    SimDevice& dongle() { return world_->dongle(); }
    std::chrono::milliseconds now() const;

    // Runs the agenda for `duration`, event by event, handing out notifications after each.
    void runFor(std::chrono::milliseconds duration);
    // The present collection of `role` as the role tests find it; empty when there is none.
    std::string pathOf(DeviceRole role);
    // A channel opened on the present collection of `role`.
    std::unique_ptr<cDeviceUpdater> open(DeviceRole role);

    TraceCapture trace;
    EventClock scheduler;
    PostedWork posts;
    SimHidBackend bus;
    ChangeRecorder changes;

private:
    std::unique_ptr<SimWorld> world_;
};

// The scenario of `json`; a parse error fails the test.
SimScenario scenarioFrom(const std::string& json);

// Sends `plan` packet by packet; the index of the first packet that failed, if one did.
std::optional<std::size_t> sendPlan(cDeviceUpdater& channel, const PacketQueue& plan);

// Both chips in their bootloaders.
inline constexpr const char* kBothInBootloader =
    R"({"headset": {"mode": "bootloader"}, "dongle": {"mode": "bootloader"}})";

// Whether the chip's EEPROM begins with `image`.
bool landed(const ByteVector& image, const SimDevice& device);

// Every device error of `device`, one a line, for failure messages.
std::string errorsOf(const SimDevice& device);

// Whether `errors` holds a line that contains `text`.
bool mentions(const std::vector<std::string>& errors, const std::string& text);

}  // namespace zeltor::test
