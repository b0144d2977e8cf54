#include "platform/qt/painting_clock_qt.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>

namespace zeltor {
namespace {

// About one frame: long enough to cost nothing, short enough that a wait does not show.
constexpr std::chrono::milliseconds kPaintSlice{15};

void paintWaitingWindows() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers);
}

}  // namespace

void QtPaintingClock::sleepFor(std::chrono::milliseconds duration) {
    if (clock_.mode() == EventClock::Mode::Virtual) {
        clock_.sleepFor(duration);
        return;
    }
    driver_.hold();
    const auto deadline = clock_.now() + duration;
    paintWaitingWindows();
    while (clock_.now() < deadline) {
        clock_.runUntil(std::min<std::chrono::nanoseconds>(deadline, clock_.now() + kPaintSlice));
        paintWaitingWindows();
    }
    driver_.release();
}

}  // namespace zeltor
