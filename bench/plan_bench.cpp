// How long the program takes to turn its embedded images into update plans: both image texts
// parsed and all three plans built, as the tool does each time it gets an update ready.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

#include "bench_summary.h"
#include "firmware/image_text.h"
#include "firmware/resource_images.h"
#include "protocol/avnera_plan.h"
#include "protocol/mcu_plan.h"

namespace zeltor::bench {
namespace {

constexpr int kDongleText = 131;
constexpr int kHeadsetText = 132;
constexpr int kMCUImage = 134;
constexpr double kPrepareTargetMs = 5.0;

// The resources are read once: what is measured is the parsing, not the copy out of the program.
struct EmbeddedInputs {
    ByteVector dongleText;
    ByteVector headsetText;
    ByteVector mcuImage;
    bool complete = false;

    EmbeddedInputs() {
        complete = loadResourceBytes(kDongleText, dongleText) &&
                   loadResourceBytes(kHeadsetText, headsetText) &&
                   loadResourceBytes(kMCUImage, mcuImage);
    }
    std::int64_t textBytes() const {
        return static_cast<std::int64_t>(dongleText.size() + headsetText.size());
    }
};

const EmbeddedInputs& inputs() {
    static const EmbeddedInputs embedded;
    return embedded;
}

void ParseImageTexts(benchmark::State& state) {
    const EmbeddedInputs& in = inputs();
    ByteVector dongle;
    ByteVector headset;
    for (auto _ : state) {
        if (!parseImageText(in.dongleText, dongle) || !parseImageText(in.headsetText, headset)) {
            state.SkipWithError("an embedded image text does not parse");
            break;
        }
        benchmark::DoNotOptimize(dongle.data());
        benchmark::DoNotOptimize(headset.data());
    }
    state.SetBytesProcessed(state.iterations() * in.textBytes());
}

void ParseAndPlan(benchmark::State& state) {
    const EmbeddedInputs& in = inputs();
    ByteVector dongle;
    ByteVector headset;
    for (auto _ : state) {
        // The builders leave a plan that already holds packets alone, so each round starts empty.
        PacketQueue headsetPlan;
        PacketQueue donglePlan;
        PacketQueue mcuPlan;
        const bool built =
            parseImageText(in.dongleText, dongle) && parseImageText(in.headsetText, headset) &&
            buildAvneraPlan(false, headset, headsetPlan) &&
            buildAvneraPlan(true, dongle, donglePlan) && BuildMCUPlan(in.mcuImage, mcuPlan);
        if (!built) {
            state.SkipWithError("an embedded image does not make a plan");
            break;
        }
        benchmark::DoNotOptimize(headsetPlan.size() + donglePlan.size() + mcuPlan.size());
    }
    state.SetBytesProcessed(state.iterations() * in.textBytes());
}

BENCHMARK(ParseImageTexts)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ParseAndPlan)->Unit(benchmark::kMillisecond)->UseRealTime();

// The usual console table, and the figures kept to hold against their targets.
class RecordingReporter final : public benchmark::ConsoleReporter {
public:
    RecordingReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) {
                continue;
            }
            Figures& figures = figures_[run.run_name.function_name];
            figures.failed = run.error_occurred;
            figures.realMs =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
            const auto rate = run.counters.find("bytes_per_second");
            figures.bytesPerSecond = rate == run.counters.end() ? 0.0 : rate->second.value;
        }
    }

    struct Figures {
        bool failed = true;
        double realMs = 0.0;
        double bytesPerSecond = 0.0;
    };
    Figures figures(const std::string& name) const {
        const auto it = figures_.find(name);
        return it == figures_.end() ? Figures{} : it->second;
    }

private:
    std::map<std::string, Figures> figures_;
};

std::vector<TargetRow> targetRows(const RecordingReporter& reporter) {
    const auto parse = reporter.figures("ParseImageTexts");
    const auto prepare = reporter.figures("ParseAndPlan");
    return {
        {"image text parse throughput", figure("%.0f MB/s", parse.bytesPerSecond / 1e6), "reported",
         !parse.failed},
        {"parse texts + build 3 plans", figure("%.3f ms", prepare.realMs),
         figure("< %.0f ms", kPrepareTargetMs),
         !prepare.failed && prepare.realMs < kPrepareTargetMs},
    };
}

}  // namespace
}  // namespace zeltor::bench

int main(int argc, char** argv) {
    using namespace zeltor::bench;
    const std::string summaryPath = takeSummaryPath(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    if (!inputs().complete) {
        std::fprintf(stderr, "plan_bench: the embedded firmware images cannot be read\n");
        return 2;
    }
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\n");
    return reportTargets(targetRows(reporter), summaryPath);
}
