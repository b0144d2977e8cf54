#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "controller/brennic_dfu_dlg.h"
#include "platform/qt/dialog_window_qt.h"
#include "sim/sim_host_services.h"

namespace zeltor {

// One thing the person at the desk does once the dialog shows what they wait for.
struct StoryStep {
    std::string name;
    std::function<bool(QtDialog&, CBrennicDFUDlg&)> when;
    std::function<void(QtDialog&, CBrennicDFUDlg&)> act;
};

// How a run of the Qt dialog program over the simulation ended.
struct StoryEnd {
    int exitCode = -1;
    std::size_t stepsTaken = 0;
    std::string verdict;
    bool shroud = false;
    std::vector<SimHostServices::Launch> launches;
};

// Runs the program's Qt dialog with these switches over the simulation, in virtual time, with
// the steps played in order whenever the loop is idle. A run that stalls before its last step is
// a failure and is ended.
StoryEnd runStory(const std::vector<std::string>& switches, const std::vector<StoryStep>& steps);

// What a control shows and whether it is shown and enabled.
QString controlText(QWidget* control);
bool shown(QtDialog& dialog, int controlId);
bool enabled(QtDialog& dialog, int controlId);

// Saves a picture of `window` as <screenshot folder>/<name>.png.
void saveScreenshot(QWidget& window, const std::string& name);

// The language the dialogs read their texts in, as the process locale gives it.
void setLanguage(const char* locale);

}  // namespace zeltor
