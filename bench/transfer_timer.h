#pragma once

#include <array>
#include <chrono>

#include "controller/brennic_dfu_dlg.h"

namespace zeltor::bench {

// When one transfer ran, as seen from the loop: from the step in which its state was entered to
// the step in which its last packet went out.
struct TransferSpan {
    int state = 0;
    const char* name = "";
    const PacketQueue* plan = nullptr;
    const PacketQueue* queue = nullptr;
    std::chrono::nanoseconds entered{0};
    std::chrono::nanoseconds finished{0};
    bool started = false;
    bool done = false;

    std::chrono::nanoseconds duration() const { return finished - entered; }
};

class TransferTimer {
public:
    explicit TransferTimer(const CBrennicDFUDlg& controller);

    // Called after every step of the loop with the times it began and ended. A state entered in
    // the step counts from the step's beginning and a queue emptied in it from its end, so the
    // figures can only come out too long, never too short.
    void afterStep(std::chrono::nanoseconds began, std::chrono::nanoseconds ended);

    // Keeps a copy of each plan, for a report after the controller has gone; no step may be
    // timed after this.
    void keepPlans();

    // The headset's, the dongle's and the MCU's, in the order they run.
    const std::array<TransferSpan, 3>& spans() const { return spans_; }

private:
    const CBrennicDFUDlg& controller_;
    int lastState_;
    std::array<TransferSpan, 3> spans_;
    std::array<PacketQueue, 3> keptPlans_;
};

}  // namespace zeltor::bench
