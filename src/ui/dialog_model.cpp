#include "ui/dialog_model.h"

#include <algorithm>

#include "ui/dialog_controls.h"

namespace zeltor {

DialogModel::DialogModel(MessageLoop& loop) : loop_(loop) {
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
