#include "platform/console/console_application.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/device_check.h"
#include "app/device_check_report.h"
#include "app/front_end_options.h"
#include "app/instance_lock.h"
#include "app/read_only_host.h"
#include "app/run_options.h"
#include "controller/brennic_dfu_dlg.h"
#include "platform/console/console_runner.h"
#include "trace/trace_log.h"
#include "ui/dialog_model.h"
#include "ui/product_identity.h"

namespace zeltor {
namespace {

// Where the log went, or why there is none: a path is named only for a log that was written.
void reportLog() {
    const LogFileState log = CurrentLogFile();
    if (log.open) {
        std::printf("Log: %s\n", log.path.c_str());
    } else if (!log.failure.empty()) {
        std::printf("Log not written: cannot open %s: %s\n", log.path.c_str(), log.failure.c_str());
    } else if (g_RunOptions.m_Log) {
        std::printf("Log not written: there is no documents folder\n");
    }
}

// The clock of the controller's blocking waits: the platform's own where it has one.
Clock& controllerClockOf(ConsoleWorld& world) {
    return world.controllerClock != nullptr ? *world.controllerClock : world.loop.clock();
}

// The headset type chooser in a terminal. A person at a terminal is asked and must answer; without
// one the regular type is taken, and the run says so, since a wrong type would flash the wrong
// images.
ChooserResult chooseHeadsetType(ConsoleInput& input, const std::string& caption,
                                const std::string& description) {
    if (g_RunOptions.m_Shroud) {
        std::printf("Headset type: shroud (/SHROUD)\n");
        return ChooserResult::Shroud;
    }
    if (!input.interactive()) {
        std::printf(
            "Headset type: regular (no terminal to ask; /SHROUD chooses the shroud "
            "type)\n");
        return ChooserResult::Regular;
    }
    std::printf("%s\n%s\n", caption.c_str(), description.c_str());
    for (;;) {
        std::printf("Type 1 for the regular headset or 2 for the shroud headset, then Enter: ");
        std::fflush(stdout);
        const std::optional<std::string> answer = input.readLine();
        if (!answer) {
            std::printf("\n");
            return ChooserResult::Closed;
        }
        if (*answer == "1" || *answer == "2") {
            const bool shroud = *answer == "2";
            std::printf("Headset type: %s\n", shroud ? "shroud" : "regular");
            return shroud ? ChooserResult::Shroud : ChooserResult::Regular;
        }
    }
}

constexpr const char* kHelp =
    "Usage: brennic-firmware-update [switch...]\n"
    "Brings the firmware package v%s to a Zeltor wireless headset and its USB dongle.\n"
    "  /SHROUD            the shroud headset type (asked on a terminal otherwise)\n"
    "  /FORCEDIR=<folder> take firmware images from this folder first\n"
    "  /SKIPHEADSET /SKIPDONGLE /SKIPMCU   leave that part out\n"
    "  /TIMER=<ms>        step period of the transfers (10 ms by default)\n"
    "  /VERBOSE           hex-dump every report into the log\n"
    "  /SIMULATE[=<file>] run against simulated devices (a scenario file of its own)\n"
    "  /INSTANT           with /SIMULATE: in virtual time\n"
    "  /CONSOLE           in the terminal even on a desktop (a window otherwise)\n"
    "  /CHECK             only ask the devices for their versions and say whether this\n"
    "                     package would update them (exit 0 up to date, 1 an update is\n"
    "                     needed, 2 nothing found); --json  the same as one JSON object\n"
    "  --help, /?         this text;  --version  the versions\n"
    "The log goes to the Documents folder as BrennicFirmwareUpdate.log.\n";

}  // namespace

int consoleCannotStart(const std::string& message) {
    std::fprintf(stderr, "brennic-firmware-update: %s\n", message.c_str());
    return kExitCannotStart;
}

int runConsoleUpdate(ConsoleWorld& world) {
    const TraceClockScope traceClock(world.loop.clock());
    DialogModel dialog(world.loop);
    const bool terminal = isatty(STDOUT_FILENO) == 1;
    ConsoleView view(dialog, stdout, terminal);
    auto input = openConsoleInput();
    for (const ConsoleEventSource& source : world.eventSources) {
        input->watch(source);
    }
    Clock& controllerClock = controllerClockOf(world);
    CBrennicDFUDlg controller(dialog, world.hid, world.host, world.random, g_RunOptions,
                              controllerClock);
    world.loop.setTimerHandler([&controller](std::uint32_t id) { controller.OnTimer(id); });
    bool chooserClosed = false;
    dialog.setChooser([&](const std::string& caption, const std::string& description) {
        const ChooserResult result = chooseHeadsetType(*input, caption, description);
        chooserClosed = result == ChooserResult::Closed;
        return result;
    });
    dialog.setChangeHandler([&view](int id) { view.onControlChanged(id); });

    ConsoleRunner::Hooks hooks;
    hooks.replugHeadset = world.replugHeadset;
    hooks.simulatedPerson = static_cast<bool>(world.replugHeadset);
    hooks.outsideWorld = !world.eventSources.empty() || world.devicesBySystemMessages;
    ConsoleRunner runner(controller, dialog, world.loop, view, *input, hooks);
    controller.OnInitDialog();
    int code = kExitStoppedByUser;
    if (chooserClosed && controller.canClose()) {
        // Ctrl+C at the question: the person wants out before anything was sent.
        view.say("Stopped.");
        controller.OnCancel();
    } else {
        code = runner.run();
    }
    world.loop.setTimerHandler({});

    if (world.verdict) {
        std::printf("%s\n", world.verdict().c_str());
    }
    reportLog();
    return code;
}

int runConsoleCheck(ConsoleWorld& world, bool json) {
    const TraceClockScope traceClock(world.loop.clock());
    DialogModel dialog(world.loop);
    ReadOnlyHost host(world.host);
    Clock& controllerClock = controllerClockOf(world);
    CBrennicDFUDlg controller(dialog, world.hid, host, world.random, g_RunOptions, controllerClock);
    Trace("Device check: only the versions are asked; nothing is changed\n");
    const DeviceCheck check = runDeviceCheck(controller, world.hid);
    if (json) {
        const LogFileState log = CurrentLogFile();
        std::printf(
            "%s",
            deviceCheckJson(check, log.open ? std::optional(log.path) : std::nullopt).c_str());
    } else {
        std::printf("%s", deviceCheckText(check).c_str());
        reportLog();
    }
    return check.exitCode;
}

int runConsoleWorld(ConsoleWorld& world, const FrontEndOptions& frontEnd) {
    return frontEnd.check ? runConsoleCheck(world, frontEnd.json) : runConsoleUpdate(world);
}

int runConsoleApplication(std::uint32_t count, const char* const* arguments,
                          const ConsoleWorldRunner& simulated, const ConsoleWorldRunner& real) {
    parseCommandLine(count, arguments, &g_RunOptions);
    const FrontEndOptions frontEnd = parseFrontEndOptions(count, arguments);
    if (frontEnd.unknownOption) {
        return consoleCannotStart("unknown option " + *frontEnd.unknownOption +
                                  " (--help lists the switches)");
    }
    if (frontEnd.json && !frontEnd.check) {
        return consoleCannotStart("--json goes with /CHECK");
    }
    if (frontEnd.help) {
        std::printf(kHelp, kPackageVersion);
        return kExitSuccess;
    }
    if (frontEnd.version) {
        std::printf("brennic-firmware-update %s, firmware package v%s\n", ZELTOR_TOOL_VERSION,
                    kPackageVersion);
        return kExitSuccess;
    }
    const ConsoleWorldRunner& runner = frontEnd.simulate ? simulated : real;
    if (!runner) {
        return consoleCannotStart(
            "real devices are not supported by this build yet; run it with /SIMULATE");
    }
    std::string why;
    const auto lock = acquireInstanceLock(why);
    if (!lock) {
        return consoleCannotStart("cannot start: " + why);
    }
    return runner(frontEnd);
}

}  // namespace zeltor
