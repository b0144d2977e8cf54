#include "transfer_report.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "bench_summary.h"
#include "plan_floor.h"

namespace zeltor::bench {
namespace {

using Seconds = std::chrono::duration<double>;

constexpr double kTransferRatioTarget = 1.02;
constexpr double kCpuShareTarget = 0.02;

long long pauseCount(const PacketQueue& plan) {
    return std::count_if(plan.begin(), plan.end(), [](const DfuPacket& packet) {
        return packet.m_PacketType == PacketPause;
    });
}

// The detail of each transfer, and its row against the target.
TargetRow transferRow(const TransferSpan& span, std::uint32_t stepPeriodMs,
                      const std::string& namePrefix) {
    const PacketQueue& plan = *span.plan;
    const TargetRow row{namePrefix + figure("%s transfer / floor", span.name), "not run",
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

}  // namespace

bool parseTransferArguments(int argc, char** argv, const char* program, bool& quick,
                            std::string& summaryPath) {
    summaryPath = takeSummaryPath(argc, argv);
    quick = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--quick") {
            quick = true;
        } else {
            std::fprintf(stderr, "usage: %s [--quick] [--summary=FILE]\n", program);
            return false;
        }
    }
    return true;
}

int reportTransferRun(const TransferRun& run, const TransferTimer& timer,
                      const std::string& namePrefix, const std::string& summaryPath,
                      const std::vector<TargetRow>& details) {
    std::printf("Update %s in %.1f s of wall time (step period %u ms)\n\n", run.outcome,
                run.wall.count(), run.stepPeriodMs);
    std::printf("%-8s %8s %7s %10s %11s %11s %9s\n", "transfer", "packets", "pauses", "floor s",
                "measured s", "over ms", "ratio");
    std::vector<TargetRow> rows;
    rows.push_back({namePrefix + "update outcome", run.outcome, "finished", run.finished});
    for (const TransferSpan& span : timer.spans()) {
        if (run.headsetOnly && span.state != DFU_STATE_UPDATE_HEADSET) {
            continue;
        }
        rows.push_back(transferRow(span, run.stepPeriodMs, namePrefix));
    }
    rows.insert(rows.end(), details.begin(), details.end());
    const double share = run.wall.count() > 0 ? run.cpu.count() / run.wall.count() : 1.0;
    rows.push_back(
        {namePrefix + "process CPU / wall",
         figure("%.3f s / %.1f s = %.2f%%", run.cpu.count(), run.wall.count(), share * 100),
         figure("< %.0f%%", kCpuShareTarget * 100), share < kCpuShareTarget});
    std::printf("\n");
    return reportTargets(rows, summaryPath);
}

}  // namespace zeltor::bench
