#include "platform/console/console_application.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/front_end_options.h"
#include "app/instance_lock.h"
#include "app/run_options.h"
#include "controller/brennic_dfu_dlg.h"
#include "platform/console/console_runner.h"
#include "trace/trace_log.h"
#include "ui/dialog_model.h"

namespace zeltor {
namespace {

// The log's timestamps follow the run's clock for as long as the run lasts.
class TraceClockInstallation {
public:
    explicit TraceClockInstallation(Clock& clock) { SetTraceClock(&clock); }
    ~TraceClockInstallation() { SetTraceClock(nullptr); }
};

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

}  // namespace

int consoleCannotStart(const std::string& message) {
    std::fprintf(stderr, "brennic-firmware-update: %s\n", message.c_str());
    return kExitCannotStart;
}

int runConsoleUpdate(ConsoleWorld& world) {
    TraceClockInstallation traceClock(world.loop.clock());
    DialogModel dialog(world.loop);
    const bool terminal = isatty(STDOUT_FILENO) == 1;
    ConsoleView view(dialog, stdout, terminal);
    std::printf("Headset type: %s\n", g_RunOptions.m_Shroud
                                          ? "shroud (/SHROUD)"
                                          : "regular (/SHROUD chooses the shroud type)");
    CBrennicDFUDlg controller(dialog, world.hid, world.host, world.random, g_RunOptions,
                              world.loop.clock());
    world.loop.setTimerHandler([&controller](std::uint32_t id) { controller.OnTimer(id); });
    dialog.setChooserAnswer(g_RunOptions.m_Shroud ? ChooserResult::Shroud : ChooserResult::Regular);
    dialog.setChangeHandler([&view](int id) { view.onControlChanged(id); });

    auto input = openConsoleInput();
    ConsoleRunner::Hooks hooks;
    hooks.replugHeadset = world.replugHeadset;
    ConsoleRunner runner(controller, dialog, world.loop, view, *input, hooks);
    controller.OnInitDialog();
    const int code = runner.run();
    world.loop.setTimerHandler({});

    if (world.verdict) {
        std::printf("%s\n", world.verdict().c_str());
    }
    reportLog();
    return code;
}

int runConsoleApplication(std::uint32_t count, const char* const* arguments,
                          const ConsoleWorldRunner& simulated, const ConsoleWorldRunner& real) {
    parseCommandLine(count, arguments, &g_RunOptions);
    const FrontEndOptions frontEnd = parseFrontEndOptions(count, arguments);
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
