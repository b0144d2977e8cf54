// A whole update in real time against simulated devices, each transfer timed against the least
// time its plan allows, and the processor time the tool spends while it mostly waits.
#include <time.h>
#include "platform/linux/timer_slack_linux.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>

#include "bench_summary.h"
#include "plan_floor.h"
#include "realtime_update.h"
#include "sim/scenario/scenario_json.h"
#include "transfer_timer.h"

namespace zeltor::bench {
namespace {

using namespace std::chrono_literals;
using Seconds = std::chrono::duration<double>;

// Devices that are back at once after every restart, so that what the run takes is the tool's own
// time: its pauses and its step timer. An MCU of patch version 0 takes its plan without the
// update-mode restart.
constexpr std::string_view kImmediateDevices = R"({
    "dongle": {"bootloaderDelayMs": 0, "resetDelayMs": 0},
    "headset": {"bootloaderDelayMs": 0, "resetDelayMs": 0,
                "mcu": {"patch": 0, "updateModeDelayMs": 0, "closeDelayMs": 0}}
})";
constexpr double kTransferRatioTarget = 1.02;
constexpr double kCpuShareTarget = 0.02;
// Far beyond the minute a whole update takes; only a tool that has stopped moving gets here.
constexpr auto kRunLimit = 10min;

Seconds processCpuTime() {
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return Seconds(static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9);
}

const char* outcomeText(RealTimeUpdate::Outcome outcome) {
    switch (outcome) {
        case RealTimeUpdate::Outcome::Finished:
            return "finished";
        case RealTimeUpdate::Outcome::Failed:
            return "failed";
        case RealTimeUpdate::Outcome::Stalled:
            return "stalled";
        case RealTimeUpdate::Outcome::TimedOut:
            return "timed out";
    }
    return "?";
}

long long pauseCount(const PacketQueue& plan) {
    return std::count_if(plan.begin(), plan.end(), [](const DfuPacket& packet) {
        return packet.m_PacketType == PacketPause;
    });
}

// The detail of each transfer, and its row against the target.
TargetRow transferRow(const TransferSpan& span, std::uint32_t stepPeriodMs) {
    const PacketQueue& plan = *span.plan;
    const TargetRow row{figure("%s transfer / floor", span.name), "not run",
                        figure("<= %.2f", kTransferRatioTarget), false};
    if (!span.done) {
        std::printf("%-8s not run\n", span.name);
        return row;
    }
    const Seconds floor = protocolFloor(plan, stepPeriodMs);
    const Seconds measured = span.duration();
    const double ratio = floor.count() > 0 ? measured.count() / floor.count() : 0.0;
    std::printf("%-8s %8zu %7lld %10.3f %11.3f %11.1f %9.4f\n", span.name, plan.size(),
                pauseCount(plan), floor.count(), measured.count(), (measured - floor).count() * 1e3,
                ratio);
    return {row.name, figure("%.3f s / %.3f s = %.4f", measured.count(), floor.count(), ratio),
            row.target, ratio <= kTransferRatioTarget};
}

int runBench(bool quick, const std::string& summaryPath) {
    SimScenario scenario;
    std::string error;
    if (!parseScenario(kImmediateDevices, "transfer_bench", scenario, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    const auto wallStart = std::chrono::steady_clock::now();
    const Seconds cpuStart = processCpuTime();
    RealTimeUpdate update(scenario, quick);
    TransferTimer timer(update.controller());
    const auto outcome =
        update.run([&timer](auto began, auto ended) { timer.afterStep(began, ended); }, kRunLimit);
    const Seconds cpu = processCpuTime() - cpuStart;
    const Seconds wall = std::chrono::steady_clock::now() - wallStart;

    std::printf("Update %s in %.1f s of wall time (step period %u ms)\n\n", outcomeText(outcome),
                wall.count(), update.controller().stepPeriodMs());
    std::printf("%-8s %8s %7s %10s %11s %11s %9s\n", "transfer", "packets", "pauses", "floor s",
                "measured s", "over ms", "ratio");
    std::vector<TargetRow> rows;
    rows.push_back({"update outcome", outcomeText(outcome), "finished",
                    outcome == RealTimeUpdate::Outcome::Finished});
    for (const TransferSpan& span : timer.spans()) {
        if (quick && span.state != DFU_STATE_UPDATE_HEADSET) {
            continue;
        }
        rows.push_back(transferRow(span, update.controller().stepPeriodMs()));
    }
    const double share = wall.count() > 0 ? cpu.count() / wall.count() : 1.0;
    rows.push_back({"process CPU / wall",
                    figure("%.3f s / %.1f s = %.2f%%", cpu.count(), wall.count(), share * 100),
                    figure("< %.0f%%", kCpuShareTarget * 100), share < kCpuShareTarget});
    std::printf("\n");
    return reportTargets(rows, summaryPath);
}

}  // namespace
}  // namespace zeltor::bench

int main(int argc, char** argv) {
    // Paced as the program paces itself.
    zeltor::tightenTimerSlack();
    const std::string summaryPath = zeltor::bench::takeSummaryPath(argc, argv);
    bool quick = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--quick") {
            quick = true;
        } else {
            std::fprintf(stderr, "usage: transfer_bench [--quick] [--summary=FILE]\n");
            return 2;
        }
    }
    return zeltor::bench::runBench(quick, summaryPath);
}
