// Puts the simulated headset and dongle on the kernel's HID bus through /dev/uhid, so that the
// program, hidraw and udev meet them as real devices: the same device models as the simulation,
// with their memories and the scenario's faults, on the wall clock. Runs until SIGTERM or
// SIGINT, then gives the simulation's verdict.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bridge_options.h"
#include "firmware/firmware_ids.h"
#include "firmware/resource_images.h"
#include "platform/linux/timer_slack_linux.h"
#include "sim/scenario/scenario_json.h"
#include "sim/simulation_verdict.h"
#include "sim_uhid_bridge.h"
#include "uhid_device_linux.h"

namespace zeltor::guest {
namespace {

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

UhidReportKind kindOf(std::uint8_t rtype) {
    switch (rtype) {
        case UHID_INPUT_REPORT:
            return UhidReportKind::Input;
        case UHID_OUTPUT_REPORT:
            return UhidReportKind::Output;
        default:
            return UhidReportKind::Feature;
    }
}

// The kernel waits for the answer to a report request (up to 5 s) with the caller blocked in
// its ioctl, so every request is answered at once, before anything else happens on the bus.
void answer(UhidDeviceSet& devices, SimUhidBridge& bridge, int node, const uhid_event& event) {
    uhid_event reply{};
    switch (event.type) {
        case UHID_GET_REPORT: {
            const auto& request = event.u.get_report;
            reply.type = UHID_GET_REPORT_REPLY;
            reply.u.get_report_reply.id = request.id;
            const auto report = bridge.getReport(node, kindOf(request.rtype), request.rnum);
            if (report) {
                const std::size_t count = std::min<std::size_t>(report->size(), UHID_DATA_MAX);
                reply.u.get_report_reply.size = static_cast<std::uint16_t>(count);
                std::copy_n(report->begin(), count, reply.u.get_report_reply.data);
            } else {
                reply.u.get_report_reply.err = EIO;
            }
            devices.send(node, reply);
            break;
        }
        case UHID_SET_REPORT: {
            const auto& request = event.u.set_report;
            const std::size_t count = std::min<std::size_t>(request.size, UHID_DATA_MAX);
            reply.type = UHID_SET_REPORT_REPLY;
            reply.u.set_report_reply.id = request.id;
            const HidTransfer transfer = bridge.setReport(
                node, kindOf(request.rtype), ByteVector(request.data, request.data + count));
            reply.u.set_report_reply.err = transfer.accepted ? 0 : EIO;
            devices.send(node, reply);
            break;
        }
        case UHID_OUTPUT: {
            const auto& output = event.u.output;
            const std::size_t count = std::min<std::size_t>(output.size, UHID_DATA_MAX);
            bridge.setReport(node, kindOf(output.rtype),
                             ByteVector(output.data, output.data + count));
            break;
        }
        default:
            break;  // start, stop, open and close ask nothing of the device
    }
}

int signalDescriptor() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    return signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
}

// How long the loop may sleep before the world's next event is due; -1 for none.
int pollTimeout(const EventClock& clock) {
    const auto next = clock.nextEventTime();
    if (!next) {
        return -1;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - clock.now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Runs until a signal asks it to stop; false when the loop itself failed.
bool serve(EventClock& clock, SimUhidBridge& bridge, UhidDeviceSet& devices, int signals) {
    for (;;) {
        std::vector<pollfd> fds{{signals, POLLIN, 0}};
        std::vector<int> nodes{0};
        for (const auto& [node, device] : devices.devices()) {
            fds.push_back({device->fd(), POLLIN, 0});
            nodes.push_back(node);
        }
        if (poll(fds.data(), fds.size(), pollTimeout(clock)) < 0 && errno != EINTR) {
            say(std::string("uhid-bridge: poll: ") + std::strerror(errno));
            return false;
        }
        if (fds[0].revents != 0) {
            return true;
        }
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            const auto device = devices.devices().find(nodes[i]);
            if (device == devices.devices().end()) {
                continue;
            }
            std::string why;
            while (const auto event = device->second->readEvent(why)) {
                answer(devices, bridge, nodes[i], *event);
            }
            if (!why.empty()) {
                say("uhid-bridge: node " + std::to_string(nodes[i]) + ": " + why);
            }
        }
        clock.runUntil(clock.now());
        bridge.settle();
    }
}

SimExpectedImages expectedImages(const BridgeOptions& options) {
    const FirmwareImageIds ids = firmwareImageIds(options.shroud, false);
    SimExpectedImages images;
    loadImageTextResource(ids.headset, images.headset);
    loadImageTextResource(ids.dongle, images.dongle);
    loadResourceBytes(ids.mcu, images.mcu);
    return images;
}

// The verdict and what it rests on, one fact a line, for a test to look at.
std::string statusText(SimWorld& world, const BridgeOptions& options) {
    const SimulationVerdict verdict = judgeSimulation(
        world, expectedImages(options), options.skipHeadset, options.skipDongle, !options.withMcu);
    std::string text = verdict.line + "\n";
    text += std::string("verdict: ") + (verdict.good ? "good" : "bad") + "\n";
    text +=
        std::string("memories and pairing: ") + (verdict.memoriesAndPairing ? "yes" : "no") + "\n";
    text += "device errors: " + std::to_string(verdict.deviceErrors) + "\n";
    for (const std::string& error : world.deviceErrors()) {
        text += "device error: " + error + "\n";
    }
    for (const std::string& fault : world.faultsActed()) {
        text += "fault acted: " + fault + "\n";
    }
    return text;
}

bool writeStatus(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        say("uhid-bridge: cannot write " + path + ": " + std::strerror(errno));
        return false;
    }
    const bool written = std::fputs(text.c_str(), file) >= 0;
    return std::fclose(file) == 0 && written;
}

int run(int argc, char** argv) {
    std::string error;
    const auto options = parseBridgeOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "uhid_bridge: %s\n%s", error.c_str(), kBridgeUsage);
        return 2;
    }
    SimScenario scenario;
    if (!options->scenarioFile.empty() &&
        !loadScenarioFile(options->scenarioFile, scenario, error)) {
        std::fprintf(stderr, "uhid_bridge: %s\n", error.c_str());
        return 2;
    }
    const int signals = signalDescriptor();
    if (signals < 0) {
        std::fprintf(stderr, "uhid_bridge: signalfd: %s\n", std::strerror(errno));
        return 2;
    }
    tightenTimerSlack();
    test::PostedWork posted;
    EventClock clock(EventClock::Mode::RealTime);
    SimHidBackend bus(clock, posted.poster());
    SimWorld world(bus, scenario);
    UhidDeviceSet devices(say);
    bool served = false;
    {
        SimUhidBridge bridge(bus, posted, world, scenario, options->headsetNodes, devices, say);
        bridge.settle();
        say("uhid-bridge: running" +
            (scenario.description.empty() ? std::string() : ": " + scenario.description));
        served = serve(clock, bridge, devices, signals);
    }
    const std::string status = statusText(world, *options);
    std::printf("%s", status.c_str());
    const bool written = options->statusFile.empty() || writeStatus(options->statusFile, status);
    close(signals);
    return served && written ? 0 : 1;
}

}  // namespace
}  // namespace zeltor::guest

int main(int argc, char** argv) {
    return zeltor::guest::run(argc, argv);
}
