#pragma once

#include <windows.h>

#include <deque>
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

    // Keeps `change` (traced) and posts kMessage to `window`.
    void defer(HWND window, const DeviceChange& change);
    // The oldest kept change, when kMessage comes; nothing when none is kept.
    std::optional<DeviceChange> take();

private:
    std::deque<DeviceChange> changes_;
};

}  // namespace zeltor
