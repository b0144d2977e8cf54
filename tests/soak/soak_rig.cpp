#include "soak/soak_rig.h"

#include "app/run_options.h"
#include "controller/dfu_state.h"
#include "sim/sim_person.h"

namespace zeltor::soak {

SoakRig::SoakRig(const SimScenario& scenario, bool withMcu)
    : world_(std::make_unique<SimWorld>(bus_, scenario)),
      withMcu_(withMcu),
      watch_(world_->record()) {}

SoakRig::~SoakRig() = default;

void SoakRig::start() {
    dlg_.reset();
    options_ = RunOptions{};
    options_.m_SkipMCU = !withMcu_;
    dlg_ = std::make_unique<CBrennicDFUDlg>(dialog_, hid_, host_, random_, options_, scheduler_);
    dialog_.setTimerHandler([this](std::uint32_t id) { dlg_->OnTimer(id); });
    watch_.notePersonActed(false);
    failed_ = false;
    dlg_->OnInitDialog();
}

void SoakRig::pressStart() {
    watch_.notePersonActed(true);
    dlg_->OnStartClicked();
}

bool SoakRig::runUntil(const std::function<bool()>& done, std::chrono::nanoseconds limit) {
    return dialog_.runUntil(
        [&] {
            const bool failed = dlg_ && dlg_->state() == DFU_STATE_FAILED;
            if (failed && !failed_) {
                watch_.noteFailure(dlg_->failedRetries());
            }
            failed_ = failed;
            return done();
        },
        limit);
}

void SoakRig::stopProgram() {
    // Work already posted to the program is handled before it closes: none may outlive it.
    runUntil([this] { return dialog_.pendingWork() == 0; }, std::chrono::minutes(1));
    dlg_.reset();
    dialog_.setTimerHandler({});
}

void SoakRig::replugHeadset() {
    SimPerson(*world_, scheduler_).replugHeadset();
    runFor(SimPerson::kReplugPause);
}

void SoakRig::runFor(std::chrono::milliseconds limit) {
    runUntil([] { return false; }, limit);
}

}  // namespace zeltor::soak
