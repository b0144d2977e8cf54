#include "platform/console/console_runner.h"

#include "controller/dialog_request.h"
#include "ui/dialog_controls.h"

namespace zeltor {

ConsoleRunner::ConsoleRunner(CBrennicDFUDlg& controller, DialogModel& dialog, MessageLoop& loop,
                             ConsoleView& view, ConsoleInput& input, Hooks hooks)
    : controller_(controller),
      dialog_(dialog),
      loop_(loop),
      clock_(loop.clock()),
      view_(view),
      input_(input),
      hooks_(std::move(hooks)),
      interactive_(input.interactive()) {}

void ConsoleRunner::actLikeTheUser() {
    const DfuState state = controller_.state();
    const DialogRequest request =
        dialogRequest(controller_, dialog_.control(IDC_START).visible, loop_.pendingWork() > 0);
    if (request == DialogRequest::PressStart && !startRequested_) {
        startRequested_ = true;
        const bool again = controller_.failedRetries() > 0;
        if (interactive_) {
            view_.say(again ? "Press Enter to try the update again."
                            : "Press Enter to start the update.");
            awaitingEnter_ = true;
        } else if (!again || hooks_.simulatedPerson) {
            if (again) {
                view_.say("(simulation) Start is pressed again.");
            }
            dialog_.post([this] { controller_.OnStartClicked(); });
        } else {
            // The command line asked for one attempt; after a failure the devices came back on
            // their own, and flashing them again is the person's call.
            view_.say(
                "The update failed and the devices came back without being unplugged; it is not "
                "started again without you. Run the tool again to retry.");
            exitCode_ = kExitFailed;
            controller_.OnCancel();
            return;
        }
    }
    if (state != DFU_STATE_READY) {
        // A failure offers Start again once the devices are back.
        startRequested_ =
            startRequested_ && controller_.startPressed() && state != DFU_STATE_FAILED;
        awaitingEnter_ = false;
    }
    switch (request) {
        case DialogRequest::Close:
            exitCode_ = kExitSuccess;
            controller_.OnOK();
            return;
        case DialogRequest::GiveUp:
            exitCode_ = kExitFailed;
            controller_.OnCancel();
            return;
        case DialogRequest::Replug:
            if (replugPromptedAt_ != controller_.failedRetries()) {
                // The dialog asks for the headset to be replugged; the update goes on when it is.
                replugPromptedAt_ = controller_.failedRetries();
                if (hooks_.replugHeadset && hooks_.replugHeadset()) {
                    view_.say("(simulation) The headset is unplugged and plugged in again.");
                } else {
                    view_.say("Waiting for the headset to be unplugged and plugged in again.");
                }
            }
            return;
        case DialogRequest::PressStart:
        case DialogRequest::Nothing:
            return;
    }
}

bool ConsoleRunner::waitForSomething() {
    const auto next = clock_.nextEventTime();
    std::optional<std::chrono::nanoseconds> timeout;
    if (next) {
        timeout = clock_.mode() == EventClock::Mode::Virtual
                      ? EventClock::Nanoseconds(0)
                      : std::max(*next - clock_.now(), EventClock::Nanoseconds(0));
    } else if (hooks_.outsideWorld) {
        // Nothing is scheduled, but a device can still arrive: wait for it.
    } else if (!interactive_ && !controller_.canClose()) {
        // Nothing is scheduled, nobody can type, and the dialog may not close: nothing will
        // ever change.
        view_.say("The devices will not change any more; the update cannot go on (state " +
                  std::to_string(controller_.state()) + ").");
        exitCode_ = kExitFailed;
        return false;
    } else if (!interactive_) {
        view_.say("Nothing more will happen without the devices; closing.");
        exitCode_ = kExitFailed;
        controller_.OnCancel();
        return true;
    }
    switch (input_.wait(timeout)) {
        case ConsoleEvent::Interrupt:
            if (controller_.canClose()) {
                view_.say("Stopped.");
                exitCode_ = kExitStoppedByUser;
                controller_.OnCancel();
            } else {
                view_.say("The update cannot be stopped now; it carries on.");
            }
            return true;
        case ConsoleEvent::Enter:
            if (awaitingEnter_) {
                awaitingEnter_ = false;
                dialog_.post([this] { controller_.OnStartClicked(); });
            }
            return true;
        case ConsoleEvent::EndOfInput:
            interactive_ = false;
            if (awaitingEnter_) {
                awaitingEnter_ = false;
                dialog_.post([this] { controller_.OnStartClicked(); });
            }
            return true;
        case ConsoleEvent::None:
            break;
    }
    if (next) {
        // In real time only what is due runs: an early wake-up must not sleep past the input.
        if (clock_.mode() == EventClock::Mode::Virtual) {
            clock_.runNextEvent();
        } else {
            clock_.runUntil(clock_.now());
        }
    }
    return true;
}

int ConsoleRunner::run() {
    while (!dialog_.ended()) {
        actLikeTheUser();
        if (dialog_.ended()) {
            break;
        }
        if (loop_.pendingWork() > 0) {
            loop_.runOnce();
            view_.flush();
            continue;
        }
        if (!waitForSomething()) {
            break;
        }
    }
    return exitCode_;
}

}  // namespace zeltor
