#include "platform/win32/painting_clock_win32.h"

#include <windows.h>

#include <algorithm>

namespace zeltor {
namespace {

// About one frame: long enough to cost nothing, short enough that a wait does not show.
constexpr std::chrono::milliseconds kPaintSlice{15};

void paintWaitingWindows() {
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
}

}  // namespace

void PaintingClock::sleepFor(std::chrono::milliseconds duration) {
    if (clock_.mode() == EventClock::Mode::Virtual) {
        clock_.sleepFor(duration);
        return;
    }
    const auto deadline = clock_.now() + duration;
    paintWaitingWindows();
    while (clock_.now() < deadline) {
        clock_.runUntil(std::min<std::chrono::nanoseconds>(deadline, clock_.now() + kPaintSlice));
        paintWaitingWindows();
    }
}

}  // namespace zeltor
