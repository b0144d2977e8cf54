#include "platform/win32/notification_window_win32.h"

#include <utility>

#include "platform/win32/deferred_device_changes_win32.h"
#include "platform/win32/system_error_win32.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

constexpr wchar_t kClassName[] = L"BrennicFirmwareUpdateNotifications";

bool registerClass(WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

NotificationWindow::NotificationWindow(std::function<void(const DeviceChange&)> onChange)
    : onChange_(std::move(onChange)) {
    if (registerClass(&NotificationWindow::procedure)) {
        // A message-only window: no desktop, no broadcasts, only what is addressed to it.
        window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), this);
    }
    if (window_ == nullptr) {
        const DWORD error = GetLastError();
        Trace("The window for device notifications was not made: %s (error %lu)\n",
              systemErrorText(error).c_str(), error);
    }
}

NotificationWindow::~NotificationWindow() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK NotificationWindow::procedure(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    } else if (DeferredDeviceChanges::routes(message)) {
        auto* self =
            reinterpret_cast<NotificationWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr) {
            self->deferred_.route(window, message, wParam, lParam,
                                  [self](const DeviceChange& change) {
                                      self->onChange_(change);
                                      return true;
                                  });
        }
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace zeltor
