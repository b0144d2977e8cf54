#include "platform/win32/deferred_device_changes_win32.h"

#include "platform/win32/device_change_win32.h"
#include "platform/win32/system_error_win32.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

// Waits do not nest today, but a count costs nothing should one ever wait inside another.
thread_local int t_blockingWaits = 0;

}  // namespace

BlockingWait::BlockingWait() {
    ++t_blockingWaits;
}

BlockingWait::~BlockingWait() {
    --t_blockingWaits;
}

bool BlockingWait::active() {
    return t_blockingWaits > 0;
}

bool DeferredDeviceChanges::route(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                  const std::function<bool(const DeviceChange&)>& handle) {
    if (message == kMessage) {
        const auto change = take();
        return change ? handle(*change) : true;
    }
    const DeviceChange change = deviceChangeOfMessage(wParam, lParam);
    if (BlockingWait::active()) {
        defer(window, change);
        return true;
    }
    return handle(change);
}

void DeferredDeviceChanges::defer(HWND window, const DeviceChange& change) {
    Trace("Device change 0x%x came during a blocking wait; it is handled after the wait\n",
          change.eventType);
    changes_.push_back(change);
    if (!PostMessageW(window, kMessage, 0, 0)) {
        const DWORD error = GetLastError();
        Trace("The device change kept for after the wait cannot be handed on: %s (error %lu)\n",
              systemErrorText(error).c_str(), error);
        changes_.pop_back();
    }
}

std::optional<DeviceChange> DeferredDeviceChanges::take() {
    if (changes_.empty()) {
        return std::nullopt;
    }
    DeviceChange change = std::move(changes_.front());
    changes_.pop_front();
    return change;
}

}  // namespace zeltor
