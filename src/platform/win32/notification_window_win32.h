#pragma once

#include <windows.h>

#include <functional>

#include "hid/device_change.h"
#include "platform/win32/deferred_device_changes_win32.h"

namespace zeltor {

// A window that is never shown, for a front end without one of its own: the system delivers
// the device notifications it was registered for to it as WM_DEVICECHANGE messages, which it
// hands to `onChange` as the thread's message loop dispatches them (those that come during a
// blocking wait once it has ended).
class NotificationWindow {
public:
    explicit NotificationWindow(std::function<void(const DeviceChange&)> onChange);
    ~NotificationWindow();
    NotificationWindow(const NotificationWindow&) = delete;
    NotificationWindow& operator=(const NotificationWindow&) = delete;

    // Null when the system would not make it (traced); registrations then fail.
    HWND handle() const { return window_; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::function<void(const DeviceChange&)> onChange_;
    DeferredDeviceChanges deferred_;
    HWND window_ = nullptr;
};

}  // namespace zeltor
