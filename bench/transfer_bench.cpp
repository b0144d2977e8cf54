// A whole update in real time against simulated devices, each transfer timed against the least
// time its plan allows, and the processor time the tool spends while it mostly waits.
#include "platform/linux/timer_slack_linux.h"

#include <chrono>
#include <cstdio>

#include "realtime_update.h"
#include "sim/scenario/scenario_json.h"
#include "transfer_report.h"
#include "transfer_timer.h"

namespace zeltor::bench {
namespace {

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

int runBench(bool quick, const std::string& summaryPath) {
    SimScenario scenario;
    std::string error;
    if (!parseScenario(kImmediateDevices, "transfer_bench", scenario, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    const auto wallStart = std::chrono::steady_clock::now();
    const auto cpuStart = processCpuTime();
    RealTimeUpdate update(scenario, quick);
    TransferTimer timer(update.controller());
    const auto outcome =
        update.run([&timer](auto began, auto ended) { timer.afterStep(began, ended); }, kRunLimit);
    TransferRun run;
    run.cpu = processCpuTime() - cpuStart;
    run.wall = std::chrono::steady_clock::now() - wallStart;
    run.outcome = outcomeText(outcome);
    run.finished = outcome == RealTimeUpdate::Outcome::Finished;
    run.stepPeriodMs = update.controller().stepPeriodMs();
    run.headsetOnly = quick;
    return reportTransferRun(run, timer, "", summaryPath);
}

}  // namespace
}  // namespace zeltor::bench

int main(int argc, char** argv) {
    // Paced as the program paces itself.
    zeltor::tightenTimerSlack();
    bool quick = false;
    std::string summaryPath;
    if (!zeltor::bench::parseTransferArguments(argc, argv, "transfer_bench", quick, summaryPath)) {
        return 2;
    }
    return zeltor::bench::runBench(quick, summaryPath);
}
