#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hid/hid_backend.h"
#include "sim/replay/replay_log.h"
#include "sim/sim_collection.h"
#include "sim/sim_hid_backend.h"
#include "ui/event_clock.h"

namespace zeltor {

// A collection the log names, with the identity of the role the run gave it.
class ReplayCollection final : public SimCollection {
public:
    ReplayCollection(const ReplayCollectionInfo& info, const ReplayLog& log);

    std::string path() const override { return info_.path; }
    HidAttributes attributes() const override { return attributes_; }
    HidCaps caps() const override { return caps_; }
    bool probeable() const override { return info_.probeable; }
    std::optional<DeviceRole> role() const { return info_.role; }
    // Bumped each time it leaves the bus: handles opened before then are dead.
    std::uint64_t appearance = 0;

    // The replay answers every report itself, in front of the bus.
    HidTransfer onOutputReport(const ByteVector&) override {
        return {false, kErrorInvalidFunction};
    }
    HidTransfer onSetFeature(const ByteVector&) override { return {false, kErrorInvalidFunction}; }
    bool onGetFeature(ByteVector&) override { return false; }

private:
    ReplayCollectionInfo info_;
    HidAttributes attributes_;
    HidCaps caps_;
};

// The world of a recorded run: its collections on the simulated bus, arriving and leaving as the
// log recorded, and answering the tool's reports with the recorded answers. Each report the tool
// sends is held against the next one the log recorded; the first that differs (in kind, bytes or
// device), or one past the end of the log, stops the replay: a line says which, and every device
// leaves the bus, so that the tool stops where the picture is still clear.
//
// Time follows the reports, not the clock of the recorded run: what the log recorded between
// report N and report N + 1 happens as long after report N has been taken as it did then, and
// all of it has happened by the time the tool sends report N + 1.
class ReplayWorld final : public HidBackend {
public:
    ReplayWorld(SimHidBackend& bus, const ReplayLog& log);
    ~ReplayWorld() override;
    ReplayWorld(const ReplayWorld&) = delete;
    ReplayWorld& operator=(const ReplayWorld&) = delete;

    // The stop line, or empty while the replay follows the log.
    const std::string& stopped() const { return stopped_; }
    // One line on how far the replay went: the stop line, or how it ended against the log.
    std::string verdict() const;

    // HidBackend: the tool's view of the recorded devices.
    std::vector<std::string> enumerateInterfaces() override { return bus_.enumerateInterfaces(); }
    void registerInterfaceNotifications(DeviceChangeSink* sink) override {
        bus_.registerInterfaceNotifications(sink);
    }
    bool probe(const std::string& path, HidAttributes& attributes, HidCaps& caps) override {
        return bus_.probe(path, attributes, caps);
    }
    HidHandle open(const std::string& path) override;
    void close(HidHandle handle) override;
    HidRegistration registerHandleNotification(HidHandle handle, DeviceChangeSink* sink) override {
        return bus_.registerHandleNotification(handle, sink);
    }
    void unregisterHandleNotification(HidRegistration registration) override {
        bus_.unregisterHandleNotification(registration);
    }
    HidTransfer writeOutputReport(HidHandle handle, const ByteVector& report,
                                  std::uint32_t timeoutMs) override;
    std::optional<ByteVector> readInputReport(HidHandle handle, std::size_t length,
                                              std::uint32_t timeoutMs) override {
        return bus_.readInputReport(handle, length, timeoutMs);
    }
    HidTransfer setFeature(HidHandle handle, const ByteVector& report) override;
    bool getFeature(HidHandle handle, ByteVector& report) override;

private:
    struct OpenHandle {
        ReplayCollection* collection;
        std::uint64_t appearance;
    };
    struct Pending {
        EventClock::EventId id;
        std::uint64_t number;
        std::function<void()> action;
    };

    ReplayCollection* collectionAt(const std::string& path);
    ReplayCollection* live(HidHandle handle);
    HidTransfer onSent(HidHandle handle, ReplayReportKind kind, const ByteVector& report);
    std::optional<std::size_t> nextSent(std::size_t from) const;
    // Acts out what the log recorded after the item at `after` (before the first item: from the
    // run's start) up to the next report sent.
    void playFrom(std::optional<std::size_t> after);
    void act(const ReplayItem& item);
    void runPending(std::uint64_t number);
    void flushPending();
    void cancelPending();
    HidTransfer stop(const std::string& line);
    std::string recordedDevice(const ReplayItem& item) const;

    SimHidBackend& bus_;
    const ReplayLog log_;
    std::vector<std::unique_ptr<ReplayCollection>> collections_;
    std::map<HidHandle, OpenHandle> handles_;
    std::deque<Pending> pending_;
    std::uint64_t pendingCount_ = 0;
    // The collection the last report taken went to, which the answers after it come from.
    ReplayCollection* answering_ = nullptr;
    // The last report sent that the replay took, and where the next feature answer is looked for.
    std::optional<std::size_t> taken_;
    std::size_t answerFrom_ = 0;
    std::string stopped_;
};

}  // namespace zeltor
