#include "program/simulated_machine.h"

#include <chrono>
#include <optional>
#include <string>
#include <utility>

#include "app/run_options.h"
#include "controller/dialog_request.h"
#include "firmware/firmware_ids.h"
#include "firmware/image_files.h"
#include "firmware/resource_images.h"
#include "sim/replay/replay_seed.h"
#include "sim/simulation_verdict.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

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

}  // namespace

SimulatedMachine::SimulatedMachine(const SimulationFile& file, EventClock& clock,
                                   SimHidBackend::Post post, HostServices& realHost)
    : bus(clock, std::move(post)), host(clock) {
    // The simulated machine keeps its registry and processes to itself, so a simulated run
    // never marks a real update as interrupted; only the log goes where the product writes it.
    host.processes = SimHostServices::ordinaryProcesses();
    host.documents = realHost.documentsFolder();
    host.tickOffset = static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(systemClock().now()).count());
    if (file.kind == SimulationFile::Kind::Log) {
        replay = std::make_unique<ReplayWorld>(bus, file.log);
        // The tool seeds its random numbers from the tick count when it starts: starting where
        // the recorded run started makes the same pairing id.
        host.firstTickCount = recordedRandomSeed(file.log);
        return;
    }
    world.emplace(bus, file.scenario);
    person.emplace(*world, clock);
}

HidBackend& SimulatedMachine::hid() {
    return replay ? static_cast<HidBackend&>(*replay) : bus;
}

std::string SimulatedMachine::verdict() {
    if (replay) {
        return replay->verdict();
    }
    return judgeSimulation(*world, expectedImages(), g_RunOptions.m_SkipHeadset,
                           g_RunOptions.m_SkipDongle, g_RunOptions.m_SkipMCU)
        .line;
}

bool SimulatedMachine::replugHeadset() {
    if (!person) {
        return false;
    }
    person->replugHeadset();
    return true;
}

bool SimulatedMachine::replugWhenAsked(const CBrennicDFUDlg& controller, bool startShown,
                                       bool workPending) {
    if (dialogRequest(controller, startShown, workPending) != DialogRequest::Replug ||
        repluggedAt == controller.failedRetries()) {
        return false;
    }
    repluggedAt = controller.failedRetries();
    if (!person) {
        return false;
    }
    Trace("Simulation: the headset is unplugged and plugged in again, as the dialog asks\n");
    return replugHeadset();
}

}  // namespace zeltor
