#include "platform/win32/waiting_clock_win32.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/deferred_device_changes_win32.h"

namespace zeltor {
namespace {

// About one frame: long enough to cost nothing, short enough that a wait does not show.
constexpr std::chrono::milliseconds kPaintSlice{15};

BOOL CALLBACK paintWindow(HWND window, LPARAM) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

// Paints what waits to be painted straight through the windows, not through the message queue,
// and takes in what other threads sent: a peek that takes only sent messages and removes nothing
// leaves every posted message, timer and input where it is.
void serveWaitingWindows() {
    if ((HIWORD(GetQueueStatus(QS_PAINT)) & QS_PAINT) != 0) {
        EnumThreadWindows(GetCurrentThreadId(), paintWindow, 0);
    }
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

void WaitingClock::sleepFor(std::chrono::milliseconds duration) {
    // In virtual time too: the wait is the same, only its slices pass at once.
    const BlockingWait wait;
    const auto deadline = clock_.now() + duration;
    serveWaitingWindows();
    while (clock_.now() < deadline) {
        clock_.runUntil(std::min<std::chrono::nanoseconds>(deadline, clock_.now() + kPaintSlice));
        serveWaitingWindows();
    }
}

}  // namespace zeltor
