#include "soak/soak_run.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <utility>

#include "controller/dfu_state.h"
#include "controller/dialog_request.h"
#include "firmware/resource_images.h"
#include "protocol/avnera_plan.h"
#include "sim/simulation_verdict.h"
#include "soak/soak_rig.h"
#include "support/image_ids.h"
#include "ui/dialog_controls.h"

namespace zeltor::soak {
namespace {

using namespace std::chrono_literals;

// How long a person lets a run go before looking, and how long the tool, failed and left alone,
// is watched for reports it sends on its own.
constexpr auto kPatience = 20min;
constexpr auto kLeftAlone = 10min;

// The images the build carries for the regular headset type, the one the soak's person chooses.

const SimExpectedImages& productImages() {
    static const SimExpectedImages images = [] {
        SimExpectedImages loaded;
        loadImageTextResource(test::kRegularHeadsetImage, loaded.headset);
        loadImageTextResource(test::kRegularDongleImage, loaded.dongle);
        loadResourceBytes(test::kRegularMcuImage, loaded.mcu);
        return loaded;
    }();
    return images;
}

// Whether a run that claims success really left both chips (and the MCU when it was sent)
// holding the product's images, taken from the images themselves, and both devices paired.
// A fault can leave a device with a report it finds senseless (a refused pairing id leaves the
// store command that follows it without an id, as the protocol sends both): in a scenario where
// a fault acted the device errors are the fault's, and memories and pairing decide alone. The
// stories and the example scenarios hold every fault-free run to no device error at all.
std::string successProblem(SoakRig& rig) {
    const SimulationVerdict verdict =
        judgeSimulation(rig.world(), productImages(), false, false, !rig.withMcu());
    const bool excused = verdict.memoriesAndPairing && !rig.world().faultsActed().empty();
    return verdict.good || excused ? "" : "success claimed, but " + verdict.line;
}

std::string leadingBytes(const ByteVector& report) {
    std::string out;
    for (std::size_t i = 0; i < report.size() && i < 8; ++i) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02x ", report[i]);
        out += digits;
    }
    return out + (report.size() > 8 ? "..." : "");
}

// The tool has failed and nobody touches anything: it must wait for the replug it asks for and
// send nothing (a device that re-enumerates by itself is no replug). A fault acting meanwhile (an
// unplug armed earlier stands for the user) ends the watch without a verdict.
void leaveAlone(SoakRig& rig, SoakOutcome& outcome) {
    // A pairing ends with the chips' reset whether or not both took the id; a failure right
    // after it is a failed pairing.
    const ByteVector& last = rig.hid().lastReport();
    const ByteVector reset = avneraResetRequest();
    const bool pairingFailed =
        last.size() >= reset.size() && std::equal(reset.begin(), reset.end(), last.begin());
    const std::uint64_t sent = rig.hid().reportsSent();
    const std::size_t acted = rig.world().faultsActed().size();
    const std::uint32_t failures = rig.dlg().failedRetries();
    rig.runUntil(
        [&] {
            return rig.hid().reportsSent() != sent || rig.world().faultsActed().size() != acted;
        },
        kLeftAlone);
    if (rig.hid().reportsSent() == sent || rig.world().faultsActed().size() != acted) {
        return;
    }
    outcome.violation =
        pairingFailed ? SoakViolation::ReflashAfterPairingFailed : SoakViolation::ReflashByItself;
    outcome.problem = std::string(pairingFailed ? "the pairing failed" : "failed") + " (failure " +
                      std::to_string(failures) +
                      "), then left alone the tool sent a report on its own in state " +
                      std::to_string(rig.dlg().state()) + ": " +
                      leadingBytes(rig.hid().lastReport());
}

// A refusal, a lost or a damaged answer: the world is sound again once the report has passed.
bool actsOnAReportOnly(const SimFault& fault) {
    return fault.action == SimFault::Action::Refuse ||
           fault.action == SimFault::Action::DropAnswer ||
           fault.action == SimFault::Action::CorruptAnswer;
}

DialogRequest request(SoakRig& rig) {
    return dialogRequest(rig.dlg(), rig.dialog().control(IDC_START).visible,
                         rig.dialog().pendingWork() > 0);
}

// Runs the program until it succeeds or nothing more happens, replugging the headset whenever
// the dialog asks for it, at most `replugs` times. Each failure that comes when `faultsOver` holds
// is first left alone for a while, and a violation found then ends the run. It returns only when
// the program has no posted work left, or has succeeded.
void runLikeAPerson(SoakRig& rig, int replugs, const std::function<bool()>& faultsOver,
                    SoakOutcome& outcome) {
    std::uint32_t leftAloneAt = 0;  // the failure last left alone, by its count
    for (;;) {
        bool watch = false;
        rig.runUntil(
            [&] {
                const int state = rig.dlg().state();
                if (request(rig) == DialogRequest::PressStart) {
                    rig.pressStart();
                }
                // Left alone is judged from the moment of failure: what the tool does with
                // the work it has posted by then is its own doing.
                watch = state == DFU_STATE_FAILED && rig.dlg().failedRetries() != leftAloneAt &&
                        faultsOver();
                return state == DFU_STATE_SUCCESS ||
                       (state == DFU_STATE_FAILED && (watch || rig.dialog().pendingWork() == 0));
            },
            kPatience);
        if (watch) {
            leftAloneAt = rig.dlg().failedRetries();
            leaveAlone(rig, outcome);
            if (!outcome.good()) {
                return;
            }
            continue;  // the person goes on waiting as before
        }
        if (request(rig) != DialogRequest::Replug || replugs-- == 0) {
            return;
        }
        rig.replugHeadset();
    }
}

// Whether the scenario has its verdict: a violation was found, or the program succeeded, which
// is judged here.
bool settled(SoakRig& rig, SoakOutcome& outcome) {
    if (outcome.good() && rig.dlg().state() == DFU_STATE_SUCCESS) {
        outcome.problem = successProblem(rig);
        if (!outcome.problem.empty()) {
            outcome.violation = SoakViolation::FalseSuccess;
        }
        return true;
    }
    return !outcome.good();
}

// Holds the devices' record of what they received to the flash watch's rules, once the run
// has broken no other.
void judgeFlashes(const SoakRig& rig, SoakOutcome& outcome) {
    if (!outcome.good() && outcome.violation != SoakViolation::NoCompleteUpdate) {
        return;
    }
    if (std::string line = rig.flashWatch().selfStartedFlash(); !line.empty()) {
        outcome.violation = SoakViolation::FlashAfterFailure;
        outcome.problem = std::move(line);
    } else if (line = rig.flashWatch().excessPlans(); !line.empty()) {
        outcome.violation = SoakViolation::ExcessPlans;
        outcome.problem = std::move(line);
    }
}

SoakOutcome runScenario(SoakRig& rig, const SoakDraw& draw) {
    SoakOutcome outcome;
    rig.start();
    // Faults on single reports leave nothing behind: once each has acted as often as it may, the
    // world is as sound as after the faults stop.
    const bool reportFaultsOnly =
        std::all_of(draw.scenario.faults.begin(), draw.scenario.faults.end(), actsOnAReportOnly);
    std::size_t acts = 0;
    for (const SimFault& fault : draw.scenario.faults) {
        acts += fault.times;
    }
    runLikeAPerson(
        rig, 2, [&] { return reportFaultsOnly && rig.world().faultsActed().size() >= acts; },
        outcome);
    outcome.faultsActed = rig.world().faultsActed().size();
    if (settled(rig, outcome)) {
        return outcome;
    }
    // The troubles end. A tool left failed must not flash by itself; it may still finish a run
    // that was under way.
    rig.world().stopFaults();
    runLikeAPerson(
        rig, 0, [] { return true; }, outcome);
    if (settled(rig, outcome)) {
        return outcome;
    }
    // The user plugs both devices in again and starts the tool afresh until it has done its job;
    // a false success is as final as a true one.
    outcome.neededCleanRetry = true;
    for (int attempt = 0; attempt < 4; ++attempt) {
        rig.stopProgram();
        for (SimDevice* device : rig.world().devices()) {
            device->unplug();
        }
        rig.runFor(1s);
        for (SimDevice* device : rig.world().devices()) {
            device->plug();
        }
        rig.start();
        runLikeAPerson(
            rig, 2, [] { return true; }, outcome);
        if (settled(rig, outcome)) {
            return outcome;
        }
    }
    outcome.violation = SoakViolation::NoCompleteUpdate;
    outcome.problem = "no complete update after the faults stopped (state " +
                      std::to_string(rig.dlg().state()) + ")";
    return outcome;
}

}  // namespace

SoakOutcome runSoakScenario(const SoakDraw& draw) {
    SoakRig rig(draw.scenario, draw.withMcu);
    SoakOutcome outcome = runScenario(rig, draw);
    judgeFlashes(rig, outcome);
    return outcome;
}

const char* violationName(SoakViolation violation) {
    static constexpr const char* kNames[kSoakViolationKinds] = {
        "none",
        "false success",
        "re-flash by itself after a failed pairing",
        "re-flash by itself after a failure",
        "no complete update",
        "flash by itself after a failure, seen by the devices",
        "more plans than a person asked for",
        "worker died",
    };
    const auto index = static_cast<std::size_t>(violation);
    return index < std::size(kNames) ? kNames[index] : "?";
}

}  // namespace zeltor::soak
