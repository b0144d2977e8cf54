#pragma once

#include <QDialog>
#include <QFont>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/qt/loop_driver_qt.h"
#include "ui/dialog_host.h"
#include "ui/message_loop.h"

class QCloseEvent;
class QKeyEvent;

namespace zeltor {

class CBrennicDFUDlg;

// The main dialog on the Linux desktop: template 102 rebuilt from the shared layout table, its
// controls placed in dialog units of the dialog's font. The controller decides; this window
// only shows and schedules. Posted work and timer ticks go to the run's message loop, which
// Qt's event loop serves through the driver.
class QtDialog final : public QDialog, public DialogHost {
public:
    QtDialog(MessageLoop& loop, QtLoopDriver& driver);
    ~QtDialog() override;
    QtDialog(const QtDialog&) = delete;
    QtDialog& operator=(const QtDialog&) = delete;

    // Runs the controller's initialisation (and the chooser within it) before the window is
    // first shown, then serves the dialog until the controller ends it; returns its result.
    // A `notice` replaces the first instruction text (why nothing can be updated).
    int runModal(CBrennicDFUDlg& controller, const std::string& notice = {});
    // The widget of a control (0 = the dialog itself), or null.
    QWidget* control(int controlId) const;
    // The chooser while it is open, for whoever plays the user; null otherwise.
    QDialog* openChooser() const { return chooser_; }
    bool ended() const { return ended_; }
    std::function<void(std::function<void()>)> poster() {
        return [this](std::function<void()> work) { post(std::move(work)); };
    }

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

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    void createControls();
    // Hands a person's action to the controller: at once, or after a blocking wait that is
    // under way, as the product's queued input would be.
    void userAction(std::function<void()> action);

    MessageLoop& loop_;
    QtLoopDriver& driver_;
    CBrennicDFUDlg* controller_ = nullptr;
    std::map<int, QWidget*> controls_;
    QDialog* chooser_ = nullptr;
    int progressStep_ = 10;
    bool ended_ = false;
};

}  // namespace zeltor
