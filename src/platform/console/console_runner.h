#pragma once

#include <functional>

#include "app/exit_codes.h"
#include "controller/brennic_dfu_dlg.h"
#include "platform/console/console_input.h"
#include "platform/console/console_view.h"
#include "ui/dialog_model.h"
#include "ui/message_loop.h"

namespace zeltor {

// Drives the controller from a terminal: it serves the dialog's message loop, presses Start
// (after Enter on a terminal), closes the dialog where a person would, and honours Ctrl+C only
// where the dialog could be closed.
class ConsoleRunner {
public:
    struct Hooks {
        // Plays the user who unplugs and replugs the headset after a failure; false when
        // nobody can (real devices: the person at the desk does it).
        std::function<bool()> replugHeadset;
        // Devices can come and go on their own (a real device monitor): with nothing scheduled
        // the run still waits for them.
        bool outsideWorld = false;
        // A simulated person sits at the desk: Start offered again after a failure is pressed.
        bool simulatedPerson = false;
    };

    ConsoleRunner(CBrennicDFUDlg& controller, DialogModel& dialog, MessageLoop& loop,
                  ConsoleView& view, ConsoleInput& input, Hooks hooks);

    // Runs until the dialog ends; returns the exit code.
    int run();

private:
    void actLikeTheUser();
    bool waitForSomething();

    CBrennicDFUDlg& controller_;
    DialogModel& dialog_;
    MessageLoop& loop_;
    EventClock& clock_;
    ConsoleView& view_;
    ConsoleInput& input_;
    Hooks hooks_;
    bool interactive_;
    bool awaitingEnter_ = false;
    bool startRequested_ = false;
    std::uint32_t replugPromptedAt_ = 0;
    int exitCode_ = kExitSuccess;
};

}  // namespace zeltor
