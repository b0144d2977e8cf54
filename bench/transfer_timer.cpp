#include "transfer_timer.h"

namespace zeltor::bench {

TransferTimer::TransferTimer(const CBrennicDFUDlg& controller)
    : controller_(controller),
      lastState_(controller.state()),
      spans_{
          {{DFU_STATE_UPDATE_HEADSET, "headset", &controller.headsetPlan(),
            &controller.headsetQueue()},
           {DFU_STATE_UPDATE_DONGLE, "dongle", &controller.donglePlan(), &controller.dongleQueue()},
           {DFU_STATE_UPDATE_MCU, "MCU", &controller.mcuPlan(), &controller.mcuQueue()}}} {}

void TransferTimer::afterStep(std::chrono::nanoseconds began, std::chrono::nanoseconds ended) {
    const int state = controller_.state();
    for (TransferSpan& span : spans_) {
        if (state == span.state && lastState_ != span.state) {
            // A transfer entered again after a failure is timed from its new start.
            span.entered = began;
            span.started = true;
            span.done = false;
        }
        if (span.started && !span.done && span.queue->empty()) {
            span.finished = ended;
            span.done = true;
        }
    }
    lastState_ = state;
}

void TransferTimer::keepPlans() {
    for (std::size_t i = 0; i < spans_.size(); ++i) {
        keptPlans_[i] = *spans_[i].plan;
        spans_[i].plan = &keptPlans_[i];
        spans_[i].queue = nullptr;
    }
}

}  // namespace zeltor::bench
