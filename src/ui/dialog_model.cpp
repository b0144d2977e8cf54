#include "ui/dialog_model.h"

#include <algorithm>

#include "ui/dialog_controls.h"
#include "ui/dialog_templates.h"

namespace zeltor {

DialogModel::DialogModel(MessageLoop& loop) : loop_(loop) {
    // The dialog as its template creates it: markers in the texts, Start, Close and the
    // progress bar hidden.
    struct Initial {
        int id;
        const char* text;
        bool shown;
    };
#define ZELTOR_MODEL_CONTROL(id, text, windowClass, style, exStyle, shown, x, y, width, height) \
    Initial{id, text, (shown) != 0},
    const Initial initial[] = {Initial{IDC_DIALOG, ZELTOR_MAIN_DIALOG_CAPTION, true},
                               ZELTOR_MAIN_DIALOG_CONTROLS(ZELTOR_MODEL_CONTROL)};
#undef ZELTOR_MODEL_CONTROL
    for (const Initial& control : initial) {
        controls_[control.id].text = control.text;
        controls_[control.id].visible = control.shown;
    }
}

const DialogModel::Control& DialogModel::control(int id) const {
    static const Control missing;
    const auto it = controls_.find(id);
    return it == controls_.end() ? missing : it->second;
}

void DialogModel::changed(int controlId) {
    if (changeHandler_) {
        changeHandler_(controlId);
    }
}

bool DialogModel::hasControl(int controlId) const {
    return controls_.count(controlId) != 0;
}

void DialogModel::setText(int controlId, const std::string& text) {
    if (hasControl(controlId)) {
        controls_[controlId].text = text;
        changed(controlId);
    }
}

void DialogModel::showControl(int controlId, bool show) {
    if (hasControl(controlId)) {
        controls_[controlId].visible = show;
        changed(controlId);
    }
}

void DialogModel::enableControl(int controlId, bool enable) {
    if (hasControl(controlId)) {
        controls_[controlId].enabled = enable;
        changed(controlId);
    }
}

void DialogModel::setBold(int controlId) {
    if (hasControl(controlId)) {
        controls_[controlId].bold = true;
    }
}

void DialogModel::addListLine(int controlId, const std::string& text) {
    if (hasControl(controlId)) {
        controls_[controlId].lines.push_back(text);
        changed(controlId);
    }
}

void DialogModel::setPicture(int controlId, int iconId) {
    if (hasControl(controlId)) {
        controls_[controlId].picture = iconId;
        changed(controlId);
    }
}

void DialogModel::setProgressRange(std::uint32_t maximum) {
    progressMaximum_ = maximum;
}

void DialogModel::setProgressStep(int step) {
    progressStep_ = step;
}

void DialogModel::setProgressPosition(int position) {
    progressPosition_ = std::clamp(position, 0, static_cast<int>(progressMaximum_));
    changed(IDC_PROGRESS);
}

void DialogModel::progressStepIt() {
    // The platform's bar wraps to its start when a step passes the end.
    progressPosition_ += progressStep_;
    if (progressPosition_ > static_cast<int>(progressMaximum_)) {
        progressPosition_ = 0;
    }
    changed(IDC_PROGRESS);
}

ChooserResult DialogModel::runHeadsetChooser(const std::string& caption,
                                             const std::string& description) {
    ++chooserRuns_;
    // The chooser's modal loop serves the messages that are already waiting.
    loop_.drainPosted();
    return chooser_ ? chooser_(caption, description) : ChooserResult::Regular;
}

void DialogModel::endDialog(int result) {
    ended_ = true;
    endResult_ = result;
}

}  // namespace zeltor
