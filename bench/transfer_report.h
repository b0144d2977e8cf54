#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bench_summary.h"

#include "transfer_timer.h"

namespace zeltor::bench {

// Devices that are back at once after every restart, so that what the run takes is the tool's own
// time: its pauses and its step timer. An MCU of patch version 0 takes its plan without the
// update-mode restart.
inline constexpr std::string_view kImmediateDevices = R"({
    "dongle": {"bootloaderDelayMs": 0, "resetDelayMs": 0},
    "headset": {"bootloaderDelayMs": 0, "resetDelayMs": 0,
                "mcu": {"patch": 0, "updateModeDelayMs": 0, "closeDelayMs": 0}}
})";
// Far beyond the minute a whole update takes; only a tool that has stopped moving gets here.
inline constexpr std::chrono::minutes kRunLimit{10};

// One real-time update as a transfer benchmark saw it.
struct TransferRun {
    const char* outcome = "";  // "finished", "failed", "stalled", "timed out"
    bool finished = false;
    std::chrono::duration<double> wall{0};
    std::chrono::duration<double> cpu{0};
    std::uint32_t stepPeriodMs = 0;
    bool headsetOnly = false;
};

// The arguments of a transfer benchmark, "[--quick] [--summary=FILE]" (--quick: the headset
// transfer only); false, with the usage said, for anything else.
bool parseTransferArguments(int argc, char** argv, const char* program, bool& quick,
                            std::string& summaryPath);

// The processor time this process has spent so far.
std::chrono::duration<double> processCpuTime();

// Prints the run, each transfer against its floor and the process's processor share, then the
// rows against their targets (names starting with `namePrefix`; a benchmark's own `details`
// after the transfers), appended to `summaryPath` when given. Returns the exit code: 0 when every
// target is met.
int reportTransferRun(const TransferRun& run, const TransferTimer& timer,
                      const std::string& namePrefix, const std::string& summaryPath,
                      const std::vector<TargetRow>& details = {});

}  // namespace zeltor::bench
