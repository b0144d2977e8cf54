#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "controller/brennic_dfu_dlg.h"
#include "sim/headless_dialog_host.h"
#include "sim/scenario/sim_world.h"
#include "sim/sim_hid_backend.h"
#include "sim/sim_host_services.h"
#include "soak/flash_watch.h"
#include "soak/write_counting_hid.h"
#include "ui/event_clock.h"

namespace zeltor::soak {

// One soak world in virtual time: the scenario's devices, a headless dialog, the simulated host
// (which keeps the update flag across program starts) and the tool, whose every report sent is
// counted. Tracing stays off: a soak runs far too many updates to keep their logs.
class SoakRig {
public:
    SoakRig(const SimScenario& scenario, bool withMcu);
    ~SoakRig();
    SoakRig(const SoakRig&) = delete;
    SoakRig& operator=(const SoakRig&) = delete;

    // Starts the program afresh with the product's run options (the MCU sent when asked).
    void start();
    // Ends the program, as closing it does, once it has handled what was posted to it; the
    // world and the host stay.
    void stopProgram();

    CBrennicDFUDlg& dlg() { return *dlg_; }
    SimWorld& world() { return *world_; }
    HeadlessDialogHost& dialog() { return dialog_; }
    const WriteCountingHid& hid() const { return hid_; }
    bool withMcu() const { return withMcu_; }
    const FlashWatch& flashWatch() const { return watch_; }
    // Runs the program until `done` holds or `limit` has passed, noting each entry into the
    // failure state for the flash watch; whatever drives the program goes through here.
    bool runUntil(const std::function<bool()>& done, std::chrono::nanoseconds limit);
    void runFor(std::chrono::milliseconds limit);
    void pressStart();
    // The person at the desk unplugs the headset and plugs it in again; returns once it is back.
    void replugHeadset();

private:
    EventClock scheduler_;
    RunOptions options_;
    HeadlessDialogHost dialog_{scheduler_};
    SimHidBackend bus_{scheduler_, dialog_.poster()};
    WriteCountingHid hid_{bus_};
    SimHostServices host_{scheduler_};
    CRandom random_;
    std::unique_ptr<SimWorld> world_;
    std::unique_ptr<CBrennicDFUDlg> dlg_;
    bool withMcu_;
    FlashWatch watch_;
    bool failed_ = false;  // the program was in its failure state when last looked at
};

}  // namespace zeltor::soak
