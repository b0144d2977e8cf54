// The transfer benchmark of the Windows program: a whole update in real time through the Win32
// dialog's own loop, timers and paint-pumping clock, against simulated devices that are back at
// once after every restart, with a person who picks the regular headset and presses Start. Each
// transfer is timed against the least time its plan allows.
#include <windows.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// What the dialog's handling of each step tick takes beyond the pause its packet asks for, by
// transfer: the work the one-shot step timer adds to every period by design (it is set again
// when the tick's work is done), which the floor leaves out. Under Wine on Xvfb most of it is the
// progress bar drawing itself.
class StepTickWork {
public:
    struct Total {
        std::chrono::nanoseconds work{0};
        int ticks = 0;
    };

    void watch(HWND dialog, const CBrennicDFUDlg& controller) {
        watched_ = this;
        controller_ = &controller;
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&handle)));
    }
    // The headset's, the dongle's and the MCU's.
    const std::array<Total, 3>& totals() const { return totals_; }

private:
    static LRESULT CALLBACK handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        StepTickWork& self = *watched_;
        if (message != WM_TIMER || wParam != DFU_TIMER_STEP) {
            return CallWindowProcW(self.previous_, window, message, wParam, lParam);
        }
        const CBrennicDFUDlg& controller = *self.controller_;
        const int state = controller.state();
        const int index = state == DFU_STATE_UPDATE_HEADSET  ? 0
                          : state == DFU_STATE_UPDATE_DONGLE ? 1
                          : state == DFU_STATE_UPDATE_MCU    ? 2
                                                             : -1;
        const PacketQueue* queues[] = {&controller.headsetQueue(), &controller.dongleQueue(),
                                       &controller.mcuQueue()};
        std::chrono::milliseconds pause{0};
        if (index >= 0 && !queues[index]->empty() &&
            queues[index]->front().m_PacketType == PacketPause) {
            pause = std::chrono::milliseconds(queues[index]->front().m_DelayMs);
        }
        const Nanoseconds began = systemClock().now();
        const LRESULT result = CallWindowProcW(self.previous_, window, message, wParam, lParam);
        if (index >= 0) {
            self.totals_[index].work += systemClock().now() - began - pause;
            ++self.totals_[index].ticks;
        }
        return result;
    }

    static inline StepTickWork* watched_ = nullptr;
    const CBrennicDFUDlg* controller_ = nullptr;
    WNDPROC previous_ = nullptr;
    std::array<Total, 3> totals_{};
};

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
            tickWork_.watch(run.dialog.window(), run.controller);
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

    // Each transfer's tick work, beside its figure: what of its time over the floor is the
    // handling of its ticks rather than their pacing.
    std::vector<TargetRow> tickWorkRows() const {
        std::vector<TargetRow> rows;
        for (std::size_t i = 0; i < tickWork_.totals().size(); ++i) {
            const StepTickWork::Total& total = tickWork_.totals()[i];
            if (total.ticks == 0) {
                continue;
            }
            const double ms = std::chrono::duration<double, std::milli>(total.work).count();
            rows.push_back({figure("Wine: %s tick work", timer_->spans()[i].name),
                            figure("%.1f ms in %d ticks", ms, total.ticks), "reported", true});
        }
        return rows;
    }

private:
    bool headsetOnly_;
    std::optional<TransferTimer> timer_;
    StepTickWork tickWork_;
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
    return reportTransferRun(run, *driver.timer(), "Wine: ", summaryPath, driver.tickWorkRows());
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
