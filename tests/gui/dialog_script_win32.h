#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "program/dialog_program_win32.h"

namespace zeltor {

// The story a test plays against the running dialog, step by step: each step waits until the
// dialog shows what it expects, then checks it and acts as the person at the desk would. Steps
// run from the dialog's idle moments, on its own thread, so what they see is what is drawn.
class DialogScript {
public:
    using Ready = std::function<bool(DialogRun&)>;
    using Act = std::function<void(DialogRun&)>;

    void then(std::string name, Ready ready, Act act);
    // The dialog loop's idle hook: runs the next step when it is ready.
    bool onIdle(DialogRun& run);
    // Nothing more can happen without input: the story is stuck, and the dialog is ended.
    void onNothingMoves(DialogRun& run);
    bool finished() const { return next_ == steps_.size(); }
    // The step the dialog never reached, for the failure message.
    std::string pending() const;

private:
    struct Step {
        std::string name;
        Ready ready;
        Act act;
    };
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::size_t idleWithoutStep_ = 0;
};

}  // namespace zeltor
