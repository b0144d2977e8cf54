#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/sim_scheduler.h"
#include "ui/dialog_host.h"

namespace zeltor {

// A dialog without a window: it keeps every control's state for tests and text front ends, and
// runs the message loop of the simulated world. Posted work is handled in order; when nothing
// is posted, time moves to the next timer tick or device event.
class HeadlessDialogHost final : public DialogHost {
public:
    struct Control {
        std::string text;
        bool visible = true;
        bool enabled = true;
        bool bold = false;
        std::vector<std::string> lines;
        int picture = 0;
    };

    explicit HeadlessDialogHost(SimScheduler& scheduler);

    // Where timer ticks go (the controller's OnTimer).
    void setTimerHandler(std::function<void(std::uint32_t id)> handler) {
        timerHandler_ = std::move(handler);
    }
    // How the chooser will be left; the messages already posted are handled first, as in its
    // modal loop.
    void setChooserAnswer(ChooserResult answer) { chooserAnswer_ = answer; }
    // Called whenever a control changes, for front ends that show the dialog as it goes.
    void setChangeHandler(std::function<void(int controlId)> handler) {
        changeHandler_ = std::move(handler);
    }
    std::function<void(std::function<void()>)> poster() {
        return [this](std::function<void()> work) { post(std::move(work)); };
    }

    // --- The loop ----------------------------------------------------------------------------
    // Handles one posted item, or moves time to the next event; false when nothing can happen
    // any more without the user.
    bool runOnce();
    // Runs until `done` holds, the world is idle, or `limit` of simulated time has passed.
    bool runUntil(const std::function<bool()>& done, std::chrono::nanoseconds limit);
    std::size_t pendingWork() const { return queue_.size(); }

    // --- Recorded state ----------------------------------------------------------------------
    const Control& control(int id) const;
    std::uint32_t progressMaximum() const { return progressMaximum_; }
    int progressStep() const { return progressStep_; }
    int progressPosition() const { return progressPosition_; }
    bool timerRunning(std::uint32_t id) const { return timers_.count(id) != 0; }
    int chooserRuns() const { return chooserRuns_; }
    bool ended() const { return ended_; }
    int endResult() const { return endResult_; }

    // --- DialogHost --------------------------------------------------------------------------
    void post(std::function<void()> work) override;
    void setTimer(std::uint32_t id, std::uint32_t periodMs) override;
    void killTimer(std::uint32_t id) override;
    bool hasControl(int controlId) const override;
    void setText(int controlId, const std::string& text) override;
    void showControl(int controlId, bool show) override;
    void enableControl(int controlId, bool enable) override;
    void setBold(int controlId) override;
    void addListLine(int controlId, const std::string& text) override;
    void setPicture(int controlId, int iconId) override;
    void setProgressRange(std::uint32_t maximum) override;
    void setProgressStep(int step) override;
    void setProgressPosition(int position) override;
    void progressStepIt() override;
    ChooserResult runHeadsetChooser(const std::string& caption,
                                    const std::string& description) override;
    void endDialog(int result) override;

private:
    struct Timer {
        std::uint32_t periodMs;
        SimScheduler::EventId event;
        SimScheduler::Nanoseconds due;
        bool tickPending;
    };
    void armTimer(std::uint32_t id, SimScheduler::Nanoseconds delay);
    void changed(int controlId);

    SimScheduler& scheduler_;
    std::deque<std::function<void()>> queue_;
    std::map<int, Control> controls_;
    std::map<std::uint32_t, Timer> timers_;
    // While a tick is handled: its timer and how late it was delivered.
    std::optional<std::pair<std::uint32_t, SimScheduler::Nanoseconds>> tickLateness_;
    std::function<void(std::uint32_t)> timerHandler_;
    std::function<void(int)> changeHandler_;
    ChooserResult chooserAnswer_ = ChooserResult::Regular;
    int chooserRuns_ = 0;
    std::uint32_t progressMaximum_ = 100;
    int progressStep_ = 10;
    int progressPosition_ = 0;
    bool ended_ = false;
    int endResult_ = 0;
};

}  // namespace zeltor
