#include "sim/headless_dialog_host.h"

#include <algorithm>

#include "ui/dialog_controls.h"

namespace zeltor {

HeadlessDialogHost::HeadlessDialogHost(SimScheduler& scheduler) : scheduler_(scheduler) {
    // The dialog as its template creates it: markers in the texts, Start, Close and the
    // progress bar hidden.
    const std::pair<int, const char*> markers[] = {
        {IDC_DIALOG, "__Halvorix Zeltor Firmware Update Tool__"},
        {IDC_HEADING,
         "__This application will apply a critical firmware update (v112.2.212) to "
         "your Zeltor headset__"},
        {IDC_WARNING,
         "__While your Zeltor is updating, it will not be functional. Please wait "
         "until the update has completed.__"},
        {IDC_RELEASE_NOTES_CAPTION, "__Release Notes__"},
        {IDC_RELEASE_NOTES, ""},
        {IDC_INSTRUCTIONS, "__Instructions__"},
        {IDC_STATUS_LINK, "__Status__"},
        {IDC_CLOSE, "_Close_"},
        {IDC_START, "_Start_"},
        {IDC_PROGRESS, ""},
        {IDC_DEVICE_ICON, ""},
    };
    for (const auto& [id, text] : markers) {
        controls_[id].text = text;
    }
    for (const int hidden : {IDC_CLOSE, IDC_START, IDC_PROGRESS}) {
        controls_[hidden].visible = false;
    }
}

const HeadlessDialogHost::Control& HeadlessDialogHost::control(int id) const {
    static const Control missing;
    const auto it = controls_.find(id);
    return it == controls_.end() ? missing : it->second;
}

void HeadlessDialogHost::changed(int controlId) {
    if (changeHandler_) {
        changeHandler_(controlId);
    }
}

bool HeadlessDialogHost::runOnce() {
    if (!queue_.empty()) {
        auto work = std::move(queue_.front());
        queue_.pop_front();
        work();
        return true;
    }
    return scheduler_.runNextEvent();
}

bool HeadlessDialogHost::runUntil(const std::function<bool()>& done,
                                  std::chrono::nanoseconds limit) {
    const auto deadline = scheduler_.now() + limit;
    while (!done()) {
        if (queue_.empty()) {
            const auto next = scheduler_.nextEventTime();
            if (!next || *next > deadline) {
                return false;
            }
        }
        runOnce();
    }
    return true;
}

void HeadlessDialogHost::post(std::function<void()> work) {
    queue_.push_back(std::move(work));
}

void HeadlessDialogHost::armTimer(std::uint32_t id, SimScheduler::Nanoseconds delay) {
    Timer& timer = timers_[id];
    timer.due = scheduler_.now() + delay;
    timer.event = scheduler_.scheduleAt(timer.due, [this, id] {
        const auto it = timers_.find(id);
        if (it == timers_.end()) {
            return;
        }
        // Like the platform's timer messages, ticks do not pile up while one is waiting.
        if (!it->second.tickPending) {
            it->second.tickPending = true;
            const auto due = it->second.due;
            post([this, id, due] {
                const auto timer = timers_.find(id);
                if (timer == timers_.end() || !timer->second.tickPending) {
                    return;
                }
                timer->second.tickPending = false;
                if (timerHandler_) {
                    tickLateness_ = {id, scheduler_.now() - due};
                    timerHandler_(id);
                    tickLateness_.reset();
                }
            });
        }
        armTimer(id, std::chrono::milliseconds(timers_[id].periodMs));
    });
}

void HeadlessDialogHost::setTimer(std::uint32_t id, std::uint32_t periodMs) {
    killTimer(id);
    timers_[id] = Timer{periodMs, 0, {}, false};
    SimScheduler::Nanoseconds delay = std::chrono::milliseconds(periodMs);
    // A timer set again from its own tick does not add the tick's late delivery to its next
    // period: a transfer paced one packet per tick would otherwise drift by every wake-up's
    // delay. The handler's own work still counts in full.
    if (tickLateness_ && tickLateness_->first == id) {
        delay = std::max(delay - tickLateness_->second, SimScheduler::Nanoseconds(0));
    }
    armTimer(id, delay);
}

void HeadlessDialogHost::killTimer(std::uint32_t id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) {
        return;
    }
    scheduler_.cancel(it->second.event);
    timers_.erase(it);
}

bool HeadlessDialogHost::hasControl(int controlId) const {
    return controls_.count(controlId) != 0;
}

void HeadlessDialogHost::setText(int controlId, const std::string& text) {
    if (hasControl(controlId)) {
        controls_[controlId].text = text;
        changed(controlId);
    }
}

void HeadlessDialogHost::showControl(int controlId, bool show) {
    if (hasControl(controlId)) {
        controls_[controlId].visible = show;
        changed(controlId);
    }
}

void HeadlessDialogHost::enableControl(int controlId, bool enable) {
    if (hasControl(controlId)) {
        controls_[controlId].enabled = enable;
        changed(controlId);
    }
}

void HeadlessDialogHost::setBold(int controlId) {
    if (hasControl(controlId)) {
        controls_[controlId].bold = true;
    }
}

void HeadlessDialogHost::addListLine(int controlId, const std::string& text) {
    if (hasControl(controlId)) {
        controls_[controlId].lines.push_back(text);
        changed(controlId);
    }
}

void HeadlessDialogHost::setPicture(int controlId, int iconId) {
    if (hasControl(controlId)) {
        controls_[controlId].picture = iconId;
        changed(controlId);
    }
}

void HeadlessDialogHost::setProgressRange(std::uint32_t maximum) {
    progressMaximum_ = maximum;
}

void HeadlessDialogHost::setProgressStep(int step) {
    progressStep_ = step;
}

void HeadlessDialogHost::setProgressPosition(int position) {
    progressPosition_ = std::clamp(position, 0, static_cast<int>(progressMaximum_));
    changed(IDC_PROGRESS);
}

void HeadlessDialogHost::progressStepIt() {
    // The platform's bar wraps to its start when a step passes the end.
    progressPosition_ += progressStep_;
    if (progressPosition_ > static_cast<int>(progressMaximum_)) {
        progressPosition_ = 0;
    }
    changed(IDC_PROGRESS);
}

ChooserResult HeadlessDialogHost::runHeadsetChooser(const std::string& /*caption*/,
                                                    const std::string& /*description*/) {
    ++chooserRuns_;
    // The chooser's modal loop serves the messages that are already waiting.
    while (!queue_.empty()) {
        runOnce();
    }
    return chooserAnswer_;
}

void HeadlessDialogHost::endDialog(int result) {
    ended_ = true;
    endResult_ = result;
}

}  // namespace zeltor
