// The transfer benchmark of the Windows program: a whole update in real time through the Win32
// dialog's own loop, timers and paint-pumping clock, against simulated devices that are back at
// once after every restart, with a person who picks the regular headset and presses Start. Each
// transfer is timed against the least time its plan allows.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "app/front_end_options.h"
#include "app/run_options.h"
#include "base/clock.h"
#include "base/text.h"
#include "controller/brennic_dfu_dlg.h"
#include "platform/win32/dialog_window_win32.h"
#include "platform/win32/host_services_win32.h"
#include "program/dialog_program_win32.h"
#include "transfer_report.h"
#include "transfer_timer.h"
#include "ui/dialog_controls.h"
#include "window_probe_win32.h"

namespace zeltor::bench {
namespace {

using Nanoseconds = std::chrono::nanoseconds;

// The scenario as the program reads it: from a file.
std::optional<std::u16string> writeScenarioFile() {
    wchar_t folder[MAX_PATH];
    wchar_t path[MAX_PATH];
    if (GetTempPathW(MAX_PATH, folder) == 0 || GetTempFileNameW(folder, L"zsc", 0, path) == 0) {
        std::fprintf(stderr, "no temporary file for the scenario: error=%lu\n", GetLastError());
        return std::nullopt;
    }
    FILE* file = _wfopen(path, L"wb");
    if (file == nullptr ||
        std::fwrite(kImmediateDevices.data(), 1, kImmediateDevices.size(), file) !=
            kImmediateDevices.size() ||
        std::fclose(file) != 0) {
        std::fprintf(stderr, "cannot write the scenario file\n");
        return std::nullopt;
    }
    return std::u16string(reinterpret_cast<const char16_t*>(path));
}

void click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// Drives the dialog from its idle moments and times the transfers between them: a state entered
// since the last idle moment counts from that moment, a queue emptied since then from now, so the
// figures can only come out too long.
class DialogDriver {
public:
    explicit DialogDriver(bool headsetOnly) : headsetOnly_(headsetOnly) {}

    bool onIdle(DialogRun& run) {
        const Nanoseconds now = systemClock().now();
        if (!timer_) {
            timer_.emplace(run.controller);
            start_ = now;
            lastIdle_ = now;
        }
        timer_->afterStep(lastIdle_, now);
        lastIdle_ = now;
        stepPeriodMs_ = run.controller.stepPeriodMs();
        if (const HWND chooser = findShownDialogWith(IDC_REGULAR_HEADSET); chooser != nullptr) {
            click(chooser, IDC_REGULAR_HEADSET);
            return true;
        }
        const int state = run.controller.state();
        const HWND dialog = run.dialog.window();
        if (state == DFU_STATE_READY && !run.controller.startPressed() &&
            IsWindowVisible(GetDlgItem(dialog, IDC_START))) {
            click(dialog, IDC_START);
            return true;
        }
        const bool ended = state == DFU_STATE_SUCCESS || state == DFU_STATE_UP_TO_DATE ||
                           state == DFU_STATE_FAILED;
        const bool timedOut = now - start_ > kRunLimit;
        if (!ended && !timedOut) {
            return false;
        }
        outcome_ = timedOut ? "timed out" : state == DFU_STATE_FAILED ? "failed" : "finished";
        // The report comes after the dialog, and with it the controller, has gone.
        timer_->keepPlans();
        run.dialog.endDialog(IDCANCEL);
        return true;
    }

    TransferRun result() const {
        TransferRun run;
        run.outcome = outcome_;
        run.finished = std::string_view(outcome_) == "finished";
        run.stepPeriodMs = stepPeriodMs_;
        run.headsetOnly = headsetOnly_;
        return run;
    }
    const std::optional<TransferTimer>& timer() const { return timer_; }

private:
    bool headsetOnly_;
    std::optional<TransferTimer> timer_;
    Nanoseconds start_{0};
    Nanoseconds lastIdle_{0};
    std::uint32_t stepPeriodMs_ = 0;
    // Until the driver has seen an end: a dialog closed by other means stopped short.
    const char* outcome_ = "stalled";
};

int runBench(bool quick, const std::string& summaryPath) {
    const std::optional<std::u16string> scenarioFile = writeScenarioFile();
    if (!scenarioFile) {
        return 2;
    }
    // The benchmark's run of the default options, the MCU included unless only the headset's
    // transfer is asked for.
    g_RunOptions = RunOptions{};
    g_RunOptions.m_SkipMCU = quick;
    g_RunOptions.m_SkipDongle = quick;
    FrontEndOptions frontEnd;
    frontEnd.simulate = true;
    frontEnd.scenarioFile = utf16ToUtf8(*scenarioFile);

    const auto wallStart = std::chrono::steady_clock::now();
    const auto cpuStart = processCpuTime();
    DialogDriver driver(quick);
    DialogProgramHooks hooks;
    hooks.onIdle = [&driver](DialogRun& run) { return driver.onIdle(run); };
    Win32HostServices host;
    runDialogProgram(frontEnd, host, hooks);
    TransferRun run = driver.result();
    run.cpu = processCpuTime() - cpuStart;
    run.wall = std::chrono::steady_clock::now() - wallStart;
    DeleteFileW(reinterpret_cast<const wchar_t*>(scenarioFile->c_str()));
    if (!driver.timer()) {
        std::fprintf(stderr, "the dialog never ran\n");
        return 2;
    }
    return reportTransferRun(run, *driver.timer(), "Wine: ", summaryPath);
}

}  // namespace
}  // namespace zeltor::bench

int main(int argc, char** argv) {
    bool quick = false;
    std::string summaryPath;
    if (!zeltor::bench::parseTransferArguments(argc, argv, "transfer_bench_win32", quick,
                                               summaryPath)) {
        return 2;
    }
    return zeltor::bench::runBench(quick, summaryPath);
}
