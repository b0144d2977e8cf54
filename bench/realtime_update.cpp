#include "realtime_update.h"

#include "app/run_options.h"
#include "base/clock.h"
#include "trace/trace_log.h"

namespace zeltor::bench {

RealTimeUpdate::RealTimeUpdate(const SimScenario& scenario, bool headsetOnly) {
    options_.m_SkipMCU = headsetOnly;
    options_.m_SkipDongle = headsetOnly;
    SetTraceClock(&scheduler_);
    world_ = std::make_unique<SimWorld>(bus_, scenario);
    controller_ =
        std::make_unique<CBrennicDFUDlg>(dialog_, bus_, host_, random_, options_, scheduler_);
    dialog_.setTimerHandler([this](std::uint32_t id) { controller_->OnTimer(id); });
    controller_->OnInitDialog();
}

RealTimeUpdate::~RealTimeUpdate() {
    controller_.reset();
    world_.reset();
    SetTraceClock(nullptr);
}

RealTimeUpdate::Outcome RealTimeUpdate::run(const StepObserver& observe,
                                            std::chrono::nanoseconds limit) {
    const auto deadline = scheduler_.now() + limit;
    while (scheduler_.now() < deadline) {
        const int state = controller_->state();
        if (state == DFU_STATE_SUCCESS || state == DFU_STATE_UP_TO_DATE) {
            return Outcome::Finished;
        }
        if (state == DFU_STATE_FAILED) {
            return Outcome::Failed;
        }
        if (state == DFU_STATE_READY && !controller_->startPressed()) {
            controller_->OnStartClicked();
        }
        const auto began = scheduler_.now();
        if (!dialog_.runOnce()) {
            return Outcome::Stalled;
        }
        observe(began, scheduler_.now());
    }
    return Outcome::TimedOut;
}

}  // namespace zeltor::bench
