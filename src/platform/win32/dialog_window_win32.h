#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "hid/device_change_repeats.h"
#include "platform/win32/deferred_device_changes_win32.h"
#include "platform/win32/modal_loop_win32.h"
#include "ui/dialog_host.h"

namespace zeltor {

class CBrennicDFUDlg;

// The main dialog on Windows: template 102 with its controls, run modally by its own loop. The
// controller's posted messages, timers, buttons, link and device changes reach it as window
// messages; the controller decides, this window only shows and schedules.
class Win32Dialog final : public DialogHost {
public:
    // Timer ticks come from `services.loop`; the headset chooser runs in the same services.
    explicit Win32Dialog(ModalLoopServices& services);
    ~Win32Dialog() override;
    Win32Dialog(const Win32Dialog&) = delete;
    Win32Dialog& operator=(const Win32Dialog&) = delete;

    // Creates the window from its template; its initialisation runs the controller's
    // OnInitDialog (and the chooser within it) before the window is first shown. False when the
    // window could not be created.
    bool create(CBrennicDFUDlg& controller);
    // Serves the dialog until the controller ends it; returns the result it ended with.
    int runModal();
    HWND window() const { return window_; }
    bool ended() const { return ended_; }
    // Where the dialog's posted work goes: to be handed to the world's notifications.
    std::function<void(std::function<void()>)> poster() {
        return [this](std::function<void()> work) { post(std::move(work)); };
    }

    // --- DialogHost --------------------------------------------------------------------------
    void post(std::function<void()> work) override;
    void postSwitchState(int state, std::function<void()> work) override;
    void postDeviceEvent(std::function<void()> work) override;
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
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool onInitDialog();
    void onCommand(int id);
    bool onNotify(const NMHDR& header);
    bool handleDeviceChange(const DeviceChange& change);
    void paintMinimised();
    HWND control(int controlId) const;
    void postWork(UINT message, WPARAM wParam, std::function<void()> work);
    void releaseWaitingWork();

    ModalLoopServices& services_;
    CBrennicDFUDlg* controller_ = nullptr;
    HWND window_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HFONT boldFont_ = nullptr;
    std::vector<HICON> pictures_;
    bool ended_ = false;
    DeviceChangeRepeats repeats_;
    DeferredDeviceChanges deferred_;
    int result_ = IDCANCEL;
};

}  // namespace zeltor
