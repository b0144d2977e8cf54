#include "program/dialog_program_qt.h"

#include <sys/stat.h>

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/run_options.h"
#include "controller/brennic_dfu_dlg.h"
#include "platform/console/console_application.h"
#include "platform/console/console_runner.h"
#include "platform/linux/hidraw_backend_linux.h"
#include "platform/linux/host_services_linux.h"
#include "platform/qt/dialog_window_qt.h"
#include "platform/qt/loop_driver_qt.h"
#include "platform/qt/painting_clock_qt.h"
#include "program/device_access_linux.h"
#include "program/simulated_machine.h"
#include "program/stop_signals_linux.h"
#include "sim/replay/simulation_file.h"
#include "trace/trace_log.h"
#include "ui/dialog_controls.h"
#include "ui/event_clock.h"
#include "ui/message_loop.h"

namespace zeltor {
namespace {

std::string joinedAccessProblem(const DeviceAccessProblem& problem) {
    std::string text;
    for (const std::string& failure : problem.failures) {
        text += failure + "\n";
    }
    return text + DeviceAccessProblem::kFix;
}

}  // namespace

bool desktopDisplayAvailable() {
    struct stat status {};
    const auto exists = [&status](const std::string& path) {
        return stat(path.c_str(), &status) == 0;
    };
    // A Wayland display is a socket in the runtime folder, or at the path it names.
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (wayland != nullptr && *wayland != '\0' &&
        (wayland[0] == '/' ? exists(wayland)
                           : runtime != nullptr && exists(std::string(runtime) + "/" + wayland))) {
        return true;
    }
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return false;
    }
    // ":0" or ":0.0" is the local server's socket; a host name before the colon is remote.
    if (display[0] != ':') {
        return true;
    }
    std::string number(display + 1);
    number = number.substr(0, number.find('.'));
    return exists("/tmp/.X11-unix/X" + number);
}

int runQtDialogProgram(int& argc, char** argv, const FrontEndOptions& frontEnd,
                       LinuxHostServices& realHost, const QtDialogProgramHooks& hooks) {
    SimulationFile simulation;
    if (frontEnd.scenarioFile) {
        std::string error;
        if (!loadSimulationFile(*frontEnd.scenarioFile, simulation, error)) {
            return consoleCannotStart(error);
        }
    }
    std::unique_ptr<QApplication> application;
    std::unique_ptr<StopSignals> stopSignals;
    std::function<void()> stopRequested;
    if (QApplication::instance() == nullptr) {
        // Before Qt starts its threads, so that none of them takes the signals.
        stopSignals = std::make_unique<StopSignals>();
        application = std::make_unique<QApplication>(argc, argv);
        stopSignals->watch([&stopRequested] {
            if (stopRequested) {
                stopRequested();
            }
        });
    }
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/zeltor/application.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("brennic-firmware-update"));

    // Virtual time starts at the real date, so the log's run header still tells when it ran.
    const bool virtualTime = frontEnd.simulate && frontEnd.instant;
    EventClock clock(virtualTime ? EventClock::Mode::Virtual : EventClock::Mode::RealTime,
                     systemClock().localDateTime());
    MessageLoop loop(clock);
    QtLoopDriver driver(loop);
    QtDialog dialog(loop, driver);
    QtPaintingClock paintingClock(clock, driver);
    const TraceClockScope traceClock(paintingClock);

    std::optional<SimulatedMachine> machine;
    std::optional<HidrawBackend> hidraw;
    std::optional<SimHidBackend> emptyBus;
    std::unique_ptr<QSocketNotifier> deviceMonitor;
    std::string notice;
    if (frontEnd.simulate) {
        machine.emplace(simulation, clock, dialog.poster(), realHost);
        if (hooks.onMachine) {
            hooks.onMachine(*machine);
        }
    } else {
        hidraw.emplace(dialog.poster());
        hidraw->enumerateInterfaces();
        if (const DeviceAccessProblem problem = deviceAccessProblem(*hidraw);
            !problem.failures.empty()) {
            // Nothing may be sent: the dialog says why and how to fix it, and can be closed.
            notice = joinedAccessProblem(problem);
            std::fprintf(stderr, "brennic-firmware-update: %s", notice.c_str());
            Trace("%s", notice.c_str());
            hidraw.reset();
            emptyBus.emplace(clock, dialog.poster());
        } else if (hidraw->eventFd() >= 0) {
            deviceMonitor =
                std::make_unique<QSocketNotifier>(hidraw->eventFd(), QSocketNotifier::Read);
            QObject::connect(deviceMonitor.get(), &QSocketNotifier::activated,
                             [&hidraw] { hidraw->handleEvents(); });
        }
    }
    HidBackend& hid = machine  ? machine->hid()
                      : hidraw ? static_cast<HidBackend&>(*hidraw)
                               : *emptyBus;
    HostServices& host = machine ? static_cast<HostServices&>(machine->host) : realHost;
    CRandom random;
    int code = kExitCannotStart;
    {
        CBrennicDFUDlg controller(dialog, hid, host, random, g_RunOptions, paintingClock);
        driver.setIdleHandler([&]() {
            if (machine &&
                machine->replugWhenAsked(controller, !dialog.control(IDC_START)->isHidden(),
                                         loop.pendingWork() > 0)) {
                return true;
            }
            return hooks.onIdle && hooks.onIdle(dialog, controller);
        });
        stopRequested = [&] {
            if (dialog.ended()) {
                return;
            }
            if (controller.canClose()) {
                controller.OnCancel();
            } else {
                std::fprintf(stderr, "The update cannot be stopped now; it carries on.\n");
                Trace("Stop request refused: an update step is under way\n");
            }
        };
        if (hooks.onStall) {
            driver.setStallHandler([&] { hooks.onStall(dialog, controller); });
        }
        dialog.runModal(controller, notice);
        driver.setStallHandler({});
        stopRequested = {};
        code = notice.empty() ? exitCodeAfterDialog(controller.state()) : kExitCannotStart;
        driver.setIdleHandler({});
    }
    deviceMonitor.reset();
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
