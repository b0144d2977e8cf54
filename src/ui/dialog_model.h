#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/dialog_host.h"
#include "ui/message_loop.h"

namespace zeltor {

// The dialog as data: every control's text, visibility and state, the progress bar and the
// chooser, kept for a view that draws it (the console) and for tests that read it. Posting and
// timers go to the loop it is given.
class DialogModel : public DialogHost {
public:
    struct Control {
        std::string text;
        bool visible = true;
        bool enabled = true;
        bool bold = false;
        std::vector<std::string> lines;
        int picture = 0;
    };
    using Chooser =
        std::function<ChooserResult(const std::string& caption, const std::string& description)>;

    explicit DialogModel(MessageLoop& loop);

    // Called whenever a control changes, for views that show the dialog as it goes.
    void setChangeHandler(std::function<void(int controlId)> handler) {
        changeHandler_ = std::move(handler);
    }
    // Who answers the headset type chooser. The messages already posted are handled first, as
    // in the chooser's modal loop; without a chooser the answer is the regular type.
    void setChooser(Chooser chooser) { chooser_ = std::move(chooser); }
    void setChooserAnswer(ChooserResult answer) {
        chooser_ = [answer](const std::string&, const std::string&) { return answer; };
    }

    const Control& control(int id) const;
    std::uint32_t progressMaximum() const { return progressMaximum_; }
    int progressStep() const { return progressStep_; }
    int progressPosition() const { return progressPosition_; }
    int chooserRuns() const { return chooserRuns_; }
    bool ended() const { return ended_; }
    int endResult() const { return endResult_; }

    // --- DialogHost --------------------------------------------------------------------------
    void post(std::function<void()> work) override { loop_.post(std::move(work)); }
    void setTimer(std::uint32_t id, std::uint32_t periodMs) override {
        loop_.setTimer(id, periodMs);
    }
    void killTimer(std::uint32_t id) override { loop_.killTimer(id); }
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
    void changed(int controlId);

    MessageLoop& loop_;
    std::map<int, Control> controls_;
    std::function<void(int)> changeHandler_;
    Chooser chooser_;
    int chooserRuns_ = 0;
    std::uint32_t progressMaximum_ = 100;
    int progressStep_ = 10;
    int progressPosition_ = 0;
    bool ended_ = false;
    int endResult_ = 0;
};

}  // namespace zeltor
