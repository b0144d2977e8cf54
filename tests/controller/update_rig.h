#pragma once

#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/run_options.h"
#include "controller/brennic_dfu_dlg.h"
#include "sim/headless_dialog_host.h"
#include "sim/scenario/sim_world.h"
#include "sim/sim_hid_backend.h"
#include "sim/sim_host_services.h"
#include "support/image_ids.h"
#include "support/log_capture.h"
#include "ui/event_clock.h"

namespace zeltor::test {

using namespace std::chrono_literals;

// A whole update in virtual time: the simulated world of a scenario, a headless dialog, the
// simulated host, and the controller. The run options start from the product's defaults;
// tests change `options()` before `start()`.
class UpdateRig {
public:
    explicit UpdateRig(const std::string& scenarioJson = "{}");
    // A world built directly; without `captureTrace` tracing stays off, which long runs need.
    UpdateRig(const SimScenario& scenario, bool captureTrace);
    ~UpdateRig();
    UpdateRig(const UpdateRig&) = delete;
    UpdateRig& operator=(const UpdateRig&) = delete;

    RunOptions& options() { return options_; }
    // Constructs the controller (reading the flag, opening no log) and runs its initialisation.
    void start();
    // Ends this run's controller, as closing the program does; the world and host stay.
    void stopProgram();
    CBrennicDFUDlg& dlg() { return *dlg_; }
    SimWorld& world() { return *world_; }

    // Serves the loop until `state` is entered (or the state is `state` already), or until
    // `limit` of virtual time has passed or nothing more can happen.
    bool runUntilState(DfuState state, std::chrono::milliseconds limit = 30min);
    // Serves the loop until nothing more can happen or `limit` has passed.
    void runFor(std::chrono::milliseconds limit);
    void pressStart();
    // The person at the desk unplugs the headset and plugs it in again; returns once it is back.
    void replugHeadset();
    // Presses Start when it is offered and runs to the end of the update.
    bool runUpdate(std::chrono::milliseconds limit = 30min);

    // Every state entered, in order, as the trace shows them.
    std::vector<DfuState> statesEntered() const;
    bool traced(const std::string& line) const { return trace_->contains(line); }
    int countTraced(const std::string& line) const;
    // Every trace line so far, in order.
    const std::vector<std::string>& traceLines() const { return trace_->messages(); }
    // Each failed-packet dump as one text: its header line and the indented lines after it,
    // the pieces of a hex dump joined into their line.
    std::vector<std::string> failedPacketDumps() const;
    const HeadlessDialogHost::Control& control(int id) const { return dialog.control(id); }
    bool inProgressFlag() const;

    // The clock every wait goes through, the channel's included.
    EventClock scheduler;

private:
    RunOptions options_;
    std::unique_ptr<TraceCapture> trace_;

public:
    HeadlessDialogHost dialog{scheduler};
    SimHidBackend bus{scheduler, dialog.poster()};
    SimHostServices host{scheduler};
    CRandom random;

private:
    std::unique_ptr<SimWorld> world_;
    std::unique_ptr<CBrennicDFUDlg> dlg_;
    int entered_ = -1;
};

// The states a whole update enters from Start on when the MCU is skipped.
inline const std::vector<DfuState> kUpdateStatesWithoutMcu = {DFU_STATE_READY,
                                                              DFU_STATE_CHECK_VERSIONS,
                                                              DFU_STATE_ENTER_HEADSET_BOOTLOADER,
                                                              DFU_STATE_WAIT_HEADSET_BOOTLOADER,
                                                              DFU_STATE_UPDATE_HEADSET,
                                                              DFU_STATE_ENTER_DONGLE_BOOTLOADER,
                                                              DFU_STATE_WAIT_DONGLE_BOOTLOADER,
                                                              DFU_STATE_UPDATE_DONGLE,
                                                              DFU_STATE_PREPARE_MCU,
                                                              DFU_STATE_PAIR,
                                                              DFU_STATE_SUCCESS};

// The firmware images as the build embeds them.
ByteVector embeddedImage(int id);
bool memoryHolds(const ByteVector& memory, const ByteVector& image);
// Bytes as a hex dump writes them: "bf 4f " for {0xBF, 0x4F}.
std::string hexDump(const ByteVector& bytes, std::size_t from, std::size_t count);

}  // namespace zeltor::test

namespace zeltor {

// Failed expectations show states by name.
inline void PrintTo(DfuState state, std::ostream* out) {
    *out << dfuStateName(state);
}

}  // namespace zeltor
