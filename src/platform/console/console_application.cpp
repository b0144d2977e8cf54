#include "platform/console/console_application.h"

#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "app/front_end_options.h"
#include "app/instance_lock.h"
#include "app/run_options.h"
#include "controller/brennic_dfu_dlg.h"
#include "firmware/firmware_ids.h"
#include "firmware/image_files.h"
#include "firmware/resource_images.h"
#include "host/documents_folder.h"
#include "platform/console/console_runner.h"
#include "sim/headless_dialog_host.h"
#include "sim/scenario/scenario_json.h"
#include "sim/scenario/sim_world.h"
#include "sim/sim_hid_backend.h"
#include "sim/sim_host_services.h"
#include "sim/simulation_verdict.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "brennic-firmware-update: %s\n", message.c_str());
    return kExitCannotStart;
}

// The clock of the run, for everything that waits or stamps, for as long as the run lasts.
class ClockInstallation {
public:
    explicit ClockInstallation(Clock& clock) {
        setActiveClock(&clock);
        ResetTraceClock();
    }
    ~ClockInstallation() { setActiveClock(nullptr); }
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

// The images the run was to bring to the devices, from where the run took them: the override
// folder's files when it named usable ones, else the embedded images of the headset type and
// region. They come from the images themselves, not from the plans, so that a plan that carries
// wrong bytes is caught.
SimExpectedImages expectedImages() {
    const FirmwareImageIds ids = firmwareImageIds(g_RunOptions.m_Shroud, g_RunOptions.m_Tesmoray);
    SimExpectedImages images;
    loadImageTextResource(ids.headset, images.headset);
    loadImageTextResource(ids.dongle, images.dongle);
    loadResourceBytes(ids.mcu, images.mcu);
    const auto folder =
        g_RunOptions.m_ForceDir.empty() ? std::nullopt : overrideFolder(g_RunOptions.m_ForceDir);
    std::string why;
    const auto names = folder ? folderEntryNames(*folder, why) : std::nullopt;
    if (!names) {
        return images;
    }
    if (const auto path = firstImageFile(*folder, *names, ".bin")) {
        // An MCU image that cannot be sent in whole 8-byte blocks leaves the embedded one in use.
        ByteVector bytes;
        if (readFileBytes(*path, bytes, why) && bytes.size() % 8 == 0 && bytes.size() <= 0x10000) {
            images.mcu = std::move(bytes);
        }
    }
    // An image text without image lines leaves the embedded image in use.
    const auto takeImageText = [&](const char* extension, ByteVector& image) {
        ByteVector parsed;
        if (const auto path = firstImageFile(*folder, *names, extension);
            path && loadImageTextFile(*path, parsed, why)) {
            image = std::move(parsed);
        }
    };
    takeImageText(".ef", images.headset);
    takeImageText(".ff", images.dongle);
    return images;
}

int runSimulated(const FrontEndOptions& frontEnd) {
    SimScenario scenario;
    if (frontEnd.scenarioFile) {
        std::string error;
        if (!loadScenarioFile(*frontEnd.scenarioFile, scenario, error)) {
            return fail(error);
        }
    }
    // Virtual time starts at the real date, so the log's run header still tells when it ran.
    SimScheduler scheduler(
        frontEnd.instant ? SimScheduler::Mode::Virtual : SimScheduler::Mode::RealTime,
        systemClock().localDateTime());
    ClockInstallation clock(scheduler);
    HeadlessDialogHost dialog(scheduler);
    SimHidBackend bus(scheduler, dialog.poster());
    // The simulated machine keeps its registry and processes to itself, so a simulated run
    // never marks a real update as interrupted; only the log goes where the product writes it.
    SimHostServices host(scheduler);
    host.processes = SimHostServices::ordinaryProcesses();
    host.documents = documentsFolder();
    host.tickOffset = static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(systemClock().now()).count());
    CRandom random;
    SimWorld world(bus, scenario);

    const bool terminal = isatty(STDOUT_FILENO) == 1;
    ConsoleView view(dialog, stdout, terminal);
    std::printf("Simulated headset and dongle%s%s\n", frontEnd.instant ? ", in virtual time" : "",
                scenario.description.empty() ? "." : (": " + scenario.description).c_str());
    std::printf("Headset type: %s\n", g_RunOptions.m_Shroud
                                          ? "shroud (/SHROUD)"
                                          : "regular (/SHROUD chooses the shroud type)");
    CBrennicDFUDlg controller(dialog, bus, host, random);
    dialog.setTimerHandler([&controller](std::uint32_t id) { controller.OnTimer(id); });
    dialog.setChooserAnswer(g_RunOptions.m_Shroud ? ChooserResult::Shroud : ChooserResult::Regular);
    dialog.setChangeHandler([&view](int id) { view.onControlChanged(id); });

    auto input = openConsoleInput();
    ConsoleRunner::Hooks hooks;
    hooks.replugHeadset = [&world, &scheduler] {
        world.headset().unplug();
        scheduler.scheduleAfter(std::chrono::milliseconds(2000),
                                [&world] { world.headset().plug(); });
        return true;
    };
    ConsoleRunner runner(controller, dialog, scheduler, view, *input, hooks);
    controller.OnInitDialog();
    const int code = runner.run();

    const SimulationVerdict verdict =
        judgeSimulation(world, expectedImages(), g_RunOptions.m_SkipHeadset,
                        g_RunOptions.m_SkipDongle, g_RunOptions.m_SkipMCU);
    std::printf("%s\n", verdict.line.c_str());
    reportLog();
    return code;
}

}  // namespace

int runConsoleApplication(std::uint32_t count, const char* const* arguments) {
    parseCommandLine(count, arguments, &g_RunOptions);
    const FrontEndOptions frontEnd = parseFrontEndOptions(count, arguments);
    if (!frontEnd.simulate) {
        return fail("real devices are not supported by this build yet; run it with /SIMULATE");
    }
    std::string why;
    const auto lock = acquireInstanceLock(why);
    if (!lock) {
        return fail("cannot start: " + why);
    }
    return runSimulated(frontEnd);
}

}  // namespace zeltor
