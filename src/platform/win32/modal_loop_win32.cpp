#include "platform/win32/modal_loop_win32.h"

#include <chrono>

#include "platform/win32/timer_resolution_win32.h"

namespace zeltor {
namespace {

// Handles one waiting message of the thread; false when there was none.
bool dispatchOneMessage(HWND dialog) {
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    }
    if (message.message == WM_QUIT) {
        // The outer loop that owns the quit request sees it again.
        PostQuitMessage(static_cast<int>(message.wParam));
        return true;
    }
    if (!IsDialogMessageW(dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

}  // namespace

void runModalLoop(HWND dialog, const std::function<bool()>& ended, ModalLoopServices& services) {
    EventClock& clock = services.loop.clock();
    TimerResolutionHold resolution;
    while (!ended()) {
        if (dispatchOneMessage(dialog)) {
            continue;
        }
        if (services.loop.pendingWork() != 0) {
            services.loop.runOnce();
            continue;
        }
        if (services.onIdle && services.onIdle()) {
            continue;
        }
        const auto next = clock.nextEventTime();
        DWORD timeoutMs = INFINITE;
        if (next) {
            if (clock.mode() == EventClock::Mode::Virtual || *next <= clock.now()) {
                clock.runNextEvent();
                continue;
            }
            // Rounded up: waking early would only spin until the event is due.
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - clock.now());
            timeoutMs = static_cast<DWORD>(left.count());
        }
        resolution.beforeWait(timeoutMs);
        MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace zeltor
