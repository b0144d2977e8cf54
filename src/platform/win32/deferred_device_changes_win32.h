#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <optional>

#include "hid/device_change.h"

namespace zeltor {

// While one lives, the thread is in one of the controller's blocking waits: a device change that
// comes now must not be handled before the wait ends.
class BlockingWait {
public:
    BlockingWait();
    ~BlockingWait();
    BlockingWait(const BlockingWait&) = delete;
    BlockingWait& operator=(const BlockingWait&) = delete;

    static bool active();
};

// The device changes a window received during a blocking wait, kept in their order. Each is
// handled when the window's loop reaches the message `defer` posts for it, so after the wait and
// in order with what was posted before it came.
class DeferredDeviceChanges {
public:
    // The message that hands the window its oldest kept change.
    static constexpr UINT kMessage = WM_APP + 3;

    // Whether `message` is one that route() takes.
    static bool routes(UINT message) { return message == WM_DEVICECHANGE || message == kMessage; }

    // Takes one of `window`'s device messages: a WM_DEVICECHANGE goes to `handle` at once, or
    // during a blocking wait is kept (traced) with kMessage posted for it; kMessage hands the
    // oldest kept change to `handle`. Returns what `handle` said, or true when it was not called
    // (a kept change grants the system's request, as the handling would).
    bool route(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
               const std::function<bool(const DeviceChange&)>& handle);

private:
    void defer(HWND window, const DeviceChange& change);
    std::optional<DeviceChange> take();

    std::deque<DeviceChange> changes_;
};

}  // namespace zeltor
