#include "platform/win32/instance_window_win32.h"

namespace zeltor {
namespace {

BOOL CALLBACK findMarkedWindow(HWND window, LPARAM found) {
    if (GetPropW(window, kInstanceWindowMark) == nullptr) {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

bool bringRunningInstanceToFront() {
    HWND window = nullptr;
    EnumWindows(findMarkedWindow, reinterpret_cast<LPARAM>(&window));
    if (window == nullptr) {
        return false;
    }
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    }
    SetForegroundWindow(GetLastActivePopup(window));
    return true;
}

}  // namespace zeltor
