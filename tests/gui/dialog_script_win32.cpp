#include "dialog_script_win32.h"

#include <gtest/gtest.h>

#include "platform/win32/dialog_window_win32.h"

namespace zeltor {
namespace {

// Far more idle moments than a whole update with six failures has in virtual time: a step the
// dialog never reaches ends the run instead of leaving it waiting.
constexpr std::size_t kIdleLimit = 2'000'000;

}  // namespace

void DialogScript::then(std::string name, Ready ready, Act act) {
    steps_.push_back(Step{std::move(name), std::move(ready), std::move(act)});
}

bool DialogScript::onIdle(DialogRun& run) {
    if (finished()) {
        return false;
    }
    Step& step = steps_[next_];
    if (!step.ready(run)) {
        if (++idleWithoutStep_ > kIdleLimit) {
            ADD_FAILURE() << "the dialog never reached the step: " << step.name;
            run.dialog.endDialog(IDABORT);
            return true;
        }
        return false;
    }
    idleWithoutStep_ = 0;
    ++next_;
    SCOPED_TRACE(step.name);
    step.act(run);
    if (testing::Test::HasFatalFailure()) {
        // The story cannot go on; a dialog left running would wait for a person forever.
        run.dialog.endDialog(IDABORT);
    }
    return true;
}

void DialogScript::onNothingMoves(DialogRun& run) {
    if (finished()) {
        ADD_FAILURE() << "the story has ended, but the dialog is still open";
    } else {
        ADD_FAILURE() << "nothing more happens, and the dialog never reached the step: "
                      << steps_[next_].name;
    }
    run.dialog.endDialog(IDABORT);
}

std::string DialogScript::pending() const {
    return finished() ? std::string("(none)") : steps_[next_].name;
}

}  // namespace zeltor
