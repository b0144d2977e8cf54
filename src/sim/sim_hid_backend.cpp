#include "sim/sim_hid_backend.h"

#include <algorithm>
#include <memory>

#include "base/text.h"
#include "sim/devices/sim_reaction.h"

namespace zeltor {
namespace {

// The system's words for the Windows error codes the simulated devices and scenarios use, as
// FormatMessageW gives them; a code outside the table reads as its number.
std::string simErrorText(std::uint32_t code) {
    static constexpr struct {
        std::uint32_t code;
        const char* text;
    } kTexts[] = {
        {kErrorInvalidFunction, "Incorrect function."},
        {kErrorGenFailure, "A device attached to the system is not functioning."},
        {kErrorInvalidParameter, "The parameter is incorrect."},
        {kErrorDeviceNotConnected, "The device is not connected."},
    };
    for (const auto& entry : kTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return "error " + std::to_string(code);
}

HidTransfer refusal(std::uint32_t code) {
    return {false, code, simErrorText(code)};
}

// The devices answer with a code alone; the stack adds its words for it.
HidTransfer described(HidTransfer transfer) {
    if (!transfer.accepted && transfer.errorText.empty()) {
        transfer.errorText = simErrorText(transfer.errorCode);
    }
    return transfer;
}

}  // namespace

SimHidBackend::SimHidBackend(EventClock& scheduler, Post post)
    : scheduler_(scheduler), notifications_(std::move(post), 0x5000) {}

SimHidBackend::~SimHidBackend() {
    for (const EventClock::EventId id : writesUnderWay_) {
        scheduler_.cancel(id);
    }
}

void SimHidBackend::attach(SimCollection& collection) {
    if (isAttached(collection)) {
        return;
    }
    present_.push_back(&collection);
    notifications_.interfaceChanged(DBT_DEVICEARRIVAL, collection.path());
}

void SimHidBackend::detach(SimCollection& collection, bool queryRemove) {
    const auto it = std::find(present_.begin(), present_.end(), &collection);
    if (it == present_.end()) {
        return;
    }
    present_.erase(it);
    for (auto& [handle, state] : handles_) {
        if (state.collection != &collection) {
            continue;
        }
        state.collection = nullptr;
        state.input.clear();
        notifications_.handleRemoved(handle, queryRemove);
    }
    notifications_.interfaceChanged(DBT_DEVICEREMOVECOMPLETE, collection.path());
}

bool SimHidBackend::isAttached(const SimCollection& collection) const {
    return std::find(present_.begin(), present_.end(), &collection) != present_.end();
}

void SimHidBackend::queueInput(const SimCollection& collection, const ByteVector& report) {
    for (auto& [handle, state] : handles_) {
        if (state.collection == &collection) {
            state.input.push_back(report);
            if (state.input.size() > kInputBufferReports) {
                state.input.pop_front();
            }
        }
    }
}

std::vector<std::string> SimHidBackend::enumerateInterfaces() {
    std::vector<std::string> paths;
    for (const SimCollection* collection : present_) {
        paths.push_back(collection->path());
    }
    return paths;
}

void SimHidBackend::registerInterfaceNotifications(DeviceChangeSink* sink) {
    notifications_.setInterfaceSink(sink);
}

SimCollection* SimHidBackend::findPresent(const std::string& path) const {
    // Device paths compare without regard to letter case, as on Windows.
    for (SimCollection* collection : present_) {
        if (equalsIgnoringAsciiCase(collection->path(), path)) {
            return collection;
        }
    }
    return nullptr;
}

bool SimHidBackend::probe(const std::string& path, HidAttributes& attributes, HidCaps& caps) {
    SimCollection* collection = findPresent(path);
    if (collection == nullptr || !collection->probeable()) {
        return false;
    }
    attributes = collection->attributes();
    caps = collection->caps();
    return true;
}

HidHandle SimHidBackend::open(const std::string& path) {
    SimCollection* collection = findPresent(path);
    if (collection == nullptr || !collection->probeable()) {
        return 0;
    }
    const HidHandle handle = nextHandle_;
    nextHandle_ += 4;
    handles_.emplace(handle, OpenHandle{collection, {}});
    return handle;
}

void SimHidBackend::close(HidHandle handle) {
    handles_.erase(handle);
}

HidRegistration SimHidBackend::registerHandleNotification(HidHandle handle,
                                                          DeviceChangeSink* sink) {
    if (live(handle) == nullptr) {
        return 0;
    }
    return notifications_.registerHandle(handle, sink);
}

void SimHidBackend::unregisterHandleNotification(HidRegistration registration) {
    notifications_.unregister(registration);
}

SimHidBackend::OpenHandle* SimHidBackend::live(HidHandle handle) {
    const auto it = handles_.find(handle);
    if (it == handles_.end() || it->second.collection == nullptr) {
        return nullptr;
    }
    return &it->second;
}

HidTransfer SimHidBackend::writeOutputReport(HidHandle handle, const ByteVector& report,
                                             std::uint32_t timeoutMs) {
    OpenHandle* state = live(handle);
    if (state == nullptr) {
        return refusal(kErrorDeviceNotConnected);
    }
    const auto start = scheduler_.now();
    const auto transferTime = state->collection->outputTransferTime();
    if (transferTime.count() == 0 && state->writesDone <= start) {
        return described(state->collection->onOutputReport(report));
    }
    state->writesDone = std::max(start, state->writesDone) + transferTime;
    // The device takes the report when the transfer completes, whether or not the host still
    // waits for it then; a handle closed or a device gone by then loses it.
    auto result = std::make_shared<std::optional<HidTransfer>>();
    auto id = std::make_shared<EventClock::EventId>();
    *id = scheduler_.scheduleAt(state->writesDone, [this, handle, report, result, id] {
        writesUnderWay_.erase(*id);
        OpenHandle* target = live(handle);
        *result = described(target != nullptr ? target->collection->onOutputReport(report)
                                              : HidTransfer{false, kErrorDeviceNotConnected});
    });
    writesUnderWay_.insert(*id);
    scheduler_.runUntil(start + std::chrono::milliseconds(timeoutMs),
                        [&result] { return result->has_value(); });
    // A write still under way when the wait ends counts as sent.
    return result->value_or(HidTransfer{true, 0});
}

std::optional<ByteVector> SimHidBackend::readInputReport(HidHandle handle, std::size_t length,
                                                         std::uint32_t timeoutMs) {
    if (live(handle) == nullptr) {
        return std::nullopt;
    }
    const auto deadline = scheduler_.now() + std::chrono::milliseconds(timeoutMs);
    scheduler_.runUntil(deadline, [this, handle] {
        const OpenHandle* state = live(handle);
        return state == nullptr || !state->input.empty();
    });
    OpenHandle* state = live(handle);
    if (state == nullptr || state->input.empty()) {
        return std::nullopt;
    }
    ByteVector report = std::move(state->input.front());
    state->input.pop_front();
    report.resize(length, 0);
    return report;
}

HidTransfer SimHidBackend::setFeature(HidHandle handle, const ByteVector& report) {
    OpenHandle* state = live(handle);
    if (state == nullptr) {
        return refusal(kErrorDeviceNotConnected);
    }
    return described(state->collection->onSetFeature(report));
}

bool SimHidBackend::getFeature(HidHandle handle, ByteVector& report) {
    OpenHandle* state = live(handle);
    return state != nullptr && state->collection->onGetFeature(report);
}

}  // namespace zeltor
