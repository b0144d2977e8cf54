#include "program/dialog_program_win32.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <optional>

#include "app/run_options.h"
#include "controller/brennic_dfu_dlg.h"
#include "controller/dialog_request.h"
#include "platform/win32/dialog_window_win32.h"
#include "platform/win32/hid_backend_win32.h"
#include "platform/win32/waiting_clock_win32.h"
#include "program/simulated_machine.h"
#include "sim/replay/simulation_file.h"
#include "trace/trace_log.h"
#include "ui/dialog_controls.h"
#include "ui/event_clock.h"
#include "ui/message_loop.h"

namespace zeltor {
namespace {

bool postedWorkWaiting() {
    return (HIWORD(GetQueueStatus(QS_POSTMESSAGE)) & QS_POSTMESSAGE) != 0;
}

// The person at the desk of a simulated run: replugs the headset once for every failure that
// asks for it, as nobody can unplug a simulated one.
class SimulatedReplug {
public:
    explicit SimulatedReplug(SimulatedMachine& machine) : machine_(machine) {}

    bool act(Win32Dialog& dialog, const CBrennicDFUDlg& controller) {
        const bool startShown = IsWindowVisible(GetDlgItem(dialog.window(), IDC_START)) != FALSE;
        return machine_.replugWhenAsked(controller, startShown, postedWorkWaiting());
    }

private:
    SimulatedMachine& machine_;
};

}  // namespace

int runDialogProgram(const FrontEndOptions& frontEnd, HostServices& realHost,
                     const DialogProgramHooks& hooks) {
    SimulationFile simulation;
    if (frontEnd.scenarioFile) {
        std::string error;
        if (!loadSimulationFile(*frontEnd.scenarioFile, simulation, error)) {
            std::fprintf(stderr, "BrennicFirmwareUpdate: %s\n", error.c_str());
            return kExitCannotStart;
        }
    }
    // Virtual time starts at the real date, so the log's run header still tells when it ran.
    const bool virtualTime = frontEnd.simulate && frontEnd.instant;
    EventClock clock(virtualTime ? EventClock::Mode::Virtual : EventClock::Mode::RealTime,
                     systemClock().localDateTime());
    MessageLoop loop(clock);
    ModalLoopServices services{loop, {}};
    Win32Dialog dialog(services);
    WaitingClock waitingClock(clock);
    const TraceClockScope traceClock(waitingClock);

    // The system's device notifications go to the dialog's window, which exists only once the
    // dialog is made; the dialog hands them to the controller as they come.
    std::optional<SimulatedMachine> machine;
    std::optional<Win32HidBackend> devices;
    if (frontEnd.simulate) {
        machine.emplace(simulation, clock, dialog.poster(), realHost);
    } else {
        devices.emplace([&dialog] { return dialog.window(); });
    }
    HidBackend& hid = machine ? machine->hid() : *devices;
    HostServices& host = machine ? static_cast<HostServices&>(machine->host) : realHost;
    CRandom random;
    int code = kExitCannotStart;
    {
        CBrennicDFUDlg controller(dialog, hid, host, random, g_RunOptions, waitingClock);
        std::optional<SimulatedReplug> replug;
        if (machine) {
            replug.emplace(*machine);
        }
        DialogRun run{dialog, controller, host};
        // The caller sees each moment before the simulated person acts on it.
        services.onIdle = [&]() {
            if (hooks.onIdle && hooks.onIdle(run)) {
                return true;
            }
            if (replug && replug->act(dialog, controller)) {
                return true;
            }
            if (hooks.onNothingMoves && clock.mode() == EventClock::Mode::Virtual &&
                !clock.nextEventTime()) {
                hooks.onNothingMoves(run);
                // Ended by it, the loop must look again before it waits for input.
                return dialog.ended();
            }
            return false;
        };
        if (dialog.create(controller)) {
            dialog.runModal();
            code = exitCodeAfterDialog(controller.state());
        }
        services.onIdle = {};
    }
    if (machine) {
        const std::string verdict = machine->verdict();
        Trace("%s\n", verdict.c_str());
        std::printf("%s\n", verdict.c_str());
        if (hooks.onVerdict) {
            hooks.onVerdict(verdict);
        }
    }
    return code;
}

}  // namespace zeltor
