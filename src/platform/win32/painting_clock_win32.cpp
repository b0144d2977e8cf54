#include "platform/win32/painting_clock_win32.h"

#include <windows.h>

#include <algorithm>

namespace zeltor {
namespace {

// About one frame: long enough to cost nothing, short enough that a wait does not show.
constexpr std::chrono::milliseconds kPaintSlice{15};

BOOL CALLBACK paintWindow(HWND window, LPARAM) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

// Paints what waits to be painted straight through the windows, not through the message queue:
// PeekMessage, whatever its filter, also delivers the messages other threads send meanwhile (the
// system's device-change notice), Wine even with PM_QS_PAINT, and those must wait as well.
void paintWaitingWindows() {
    if ((HIWORD(GetQueueStatus(QS_PAINT)) & QS_PAINT) != 0) {
        EnumThreadWindows(GetCurrentThreadId(), paintWindow, 0);
    }
}

}  // namespace

void PaintingClock::sleepFor(std::chrono::milliseconds duration) {
    // In virtual time too: the wait is the same, only its slices pass at once.
    const auto deadline = clock_.now() + duration;
    paintWaitingWindows();
    while (clock_.now() < deadline) {
        clock_.runUntil(std::min<std::chrono::nanoseconds>(deadline, clock_.now() + kPaintSlice));
        paintWaitingWindows();
    }
}

}  // namespace zeltor
