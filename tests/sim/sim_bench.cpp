#include "sim_bench.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "hid/discovery.h"
#include "sim/scenario/scenario_json.h"
#include "trace/trace_log.h"

namespace zeltor::test {

using std::chrono::milliseconds;

void ChangeRecorder::deviceChanged(const DeviceChange& change) {
    entries_.push_back({std::chrono::duration_cast<milliseconds>(clock_.now()), change});
}

std::optional<milliseconds> ChangeRecorder::last(std::uint32_t event,
                                                 const std::string& path) const {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if (it->change.eventType == event && it->change.devicePath == path) {
            return it->time;
        }
    }
    return std::nullopt;
}

std::optional<milliseconds> ChangeRecorder::lastArrival(const std::string& path) const {
    return last(DBT_DEVICEARRIVAL, path);
}

std::optional<milliseconds> ChangeRecorder::lastRemoval(const std::string& path) const {
    return last(DBT_DEVICEREMOVECOMPLETE, path);
}

SimScenario scenarioFrom(const std::string& json) {
    SimScenario scenario;
    std::string error;
    EXPECT_TRUE(parseScenario(json, "test scenario", scenario, error)) << error;
    return scenario;
}

SimBench::SimBench(const std::string& scenarioJson)
    : bus(scheduler, posts.poster()), changes(scheduler) {
    bus.registerInterfaceNotifications(&changes);
    world_ = std::make_unique<SimWorld>(bus, scenarioFrom(scenarioJson));
    posts.drain();
}

SimBench::~SimBench() {
    world_.reset();
}

milliseconds SimBench::now() const {
    return std::chrono::duration_cast<milliseconds>(scheduler.now());
}

void SimBench::runFor(milliseconds duration) {
    const auto deadline = scheduler.now() + duration;
    posts.drain();
    for (auto next = scheduler.nextEventTime(); next && *next <= deadline;
         next = scheduler.nextEventTime()) {
        scheduler.runNextEvent();
        posts.drain();
    }
    scheduler.runUntil(deadline);
    posts.drain();
}

std::string SimBench::pathOf(DeviceRole role) {
    std::string found;
    EnumerateHidDevices(bus, [&](const std::string& path) {
        if (found.empty() && IsDeviceRole(bus, role, path)) {
            found = path;
        }
    });
    return found;
}

std::unique_ptr<cDeviceUpdater> SimBench::open(DeviceRole role) {
    auto channel = std::make_unique<cDeviceUpdater>(bus, scheduler, false);
    EXPECT_TRUE(channel->Open(pathOf(role), nullptr)) << "no collection of that role present";
    return channel;
}

std::optional<std::size_t> sendPlan(cDeviceUpdater& channel, const PacketQueue& plan) {
    for (std::size_t i = 0; i < plan.size(); ++i) {
        if (!channel.SendPacket(plan[i])) {
            return i;
        }
    }
    return std::nullopt;
}

bool landed(const ByteVector& image, const SimDevice& device) {
    return device.eeprom().size() >= image.size() &&
           std::equal(image.begin(), image.end(), device.eeprom().begin());
}

std::string errorsOf(const SimDevice& device) {
    std::string all;
    for (const std::string& line : device.errors()) {
        all += line + "\n";
    }
    return all;
}

bool mentions(const std::vector<std::string>& errors, const std::string& text) {
    return std::any_of(errors.begin(), errors.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    });
}

}  // namespace zeltor::test
