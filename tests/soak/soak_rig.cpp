#include "soak/soak_rig.h"

#include "app/run_options.h"
#include "sim/sim_person.h"

namespace zeltor::soak {

SoakRig::SoakRig(const SimScenario& scenario, bool withMcu)
    : world_(std::make_unique<SimWorld>(bus_, scenario)), withMcu_(withMcu) {}

SoakRig::~SoakRig() = default;

void SoakRig::start() {
    dlg_.reset();
    options_ = RunOptions{};
    options_.m_SkipMCU = !withMcu_;
    dlg_ = std::make_unique<CBrennicDFUDlg>(dialog_, hid_, host_, random_, options_, scheduler_);
    dialog_.setTimerHandler([this](std::uint32_t id) { dlg_->OnTimer(id); });
    dlg_->OnInitDialog();
}

void SoakRig::stopProgram() {
    // Work already posted to the program is handled before it closes: none may outlive it.
    dialog_.runUntil([this] { return dialog_.pendingWork() == 0; }, std::chrono::minutes(1));
    dlg_.reset();
    dialog_.setTimerHandler({});
}

void SoakRig::replugHeadset() {
    SimPerson(*world_, scheduler_).replugHeadset();
    runFor(SimPerson::kReplugPause);
}

void SoakRig::runFor(std::chrono::milliseconds limit) {
    dialog_.runUntil([] { return false; }, limit);
}

}  // namespace zeltor::soak
