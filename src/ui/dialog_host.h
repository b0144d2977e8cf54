#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace zeltor {

// What the headset type chooser reports: which picture was clicked, or that it was closed.
enum class ChooserResult { Regular, Shroud, Closed };

// What the update controller needs of its window. The controller decides; the host only shows
// and schedules. Implementations: the Win32 dialog, the Qt dialog, the console, and a headless
// recorder for tests.
class DialogHost {
public:
    virtual ~DialogHost() = default;

    // Runs `work` later on the user-interface thread, after everything posted before it.
    virtual void post(std::function<void()> work) = 0;
    // The controller's two posted messages, a state change and a device event, whose handling
    // is `work`. They are posted work like any other, unless the window has messages of its own
    // for them (the Win32 dialog's WM_DFU_SWITCH_STATE and WM_DFU_DEVICE_EVENT).
    virtual void postSwitchState(int state, std::function<void()> work) {
        static_cast<void>(state);
        post(std::move(work));
    }
    virtual void postDeviceEvent(std::function<void()> work) { post(std::move(work)); }
    // Starts (or restarts) the timer `id`; its ticks reach the controller's OnTimer.
    virtual void setTimer(std::uint32_t id, std::uint32_t periodMs) = 0;
    virtual void killTimer(std::uint32_t id) = 0;

    // Controls, by id (0 = the dialog's caption). A control the host does not have is ignored.
    virtual bool hasControl(int controlId) const = 0;
    virtual void setText(int controlId, const std::string& text) = 0;
    virtual void showControl(int controlId, bool show) = 0;
    virtual void enableControl(int controlId, bool enable) = 0;
    virtual void setBold(int controlId) = 0;
    virtual void addListLine(int controlId, const std::string& text) = 0;
    virtual void setPicture(int controlId, int iconId) = 0;

    // The progress bar: a 32-bit range from 0, a step, a position.
    virtual void setProgressRange(std::uint32_t maximum) = 0;
    virtual void setProgressStep(int step) = 0;
    virtual void setProgressPosition(int position) = 0;
    virtual void progressStepIt() = 0;

    // Runs the headset type chooser modally; messages that arrive meanwhile are handled.
    virtual ChooserResult runHeadsetChooser(const std::string& caption,
                                            const std::string& description) = 0;

    // Ends the modal run of the dialog with `result`.
    virtual void endDialog(int result) = 0;
};

}  // namespace zeltor
