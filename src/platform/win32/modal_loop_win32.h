#pragma once

#include <windows.h>

#include <functional>

#include "ui/event_clock.h"
#include "ui/message_loop.h"

namespace zeltor {

// What a modal dialog's own loop serves besides the window messages: the timer ticks the
// message loop holds, the clock's agenda (the simulated devices), and a hook for whoever acts
// when nothing else is to do (the simulated person, a test).
struct ModalLoopServices {
    MessageLoop& loop;
    // Called when no message, tick or due event waits; true when it did something.
    std::function<bool()> onIdle;
};

// Runs `dialog` modally until `ended` holds: its keyboard interface (Enter, Escape, Tab) through
// the dialog manager, every other message of the thread dispatched as it comes (so a nested
// chooser still serves the main dialog's posted messages), then timer ticks, then the clock's
// due events. In virtual time an idle loop moves the clock to its next event at once; in real
// time it sleeps until then or until a message arrives, holding the system timer at a fine period
// while its waits are short (timer_resolution_win32.h).
void runModalLoop(HWND dialog, const std::function<bool()>& ended, ModalLoopServices& services);

}  // namespace zeltor
