#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "ui/dialog_model.h"

namespace zeltor {

// Shows the dialog in a terminal as it changes: the title, heading and warning once, then the
// instruction text and the status line whenever a state sets them, and the progress as one line
// redrawn in place (plain lines, no control characters, when the output is not a terminal).
class ConsoleView {
public:
    ConsoleView(const DialogModel& dialog, std::FILE* out, bool terminal);

    // Prints the fixed texts once the dialog has them.
    void showHeader();
    // Call on every control change.
    void onControlChanged(int controlId);
    // A line of the front end's own (prompts, notices), on a line of its own.
    void say(const std::string& line);
    // Prints what changed since the last call. A state shows the status line and then sets its
    // text in one step, so the line is printed once that step is over.
    void flush();

private:
    void printLine(const std::string& line);
    void drawProgress();
    void endProgressLine();

    const DialogModel& dialog_;
    std::FILE* out_;
    bool terminal_;
    std::string lastInstructions_;
    std::string lastStatus_;
    bool progressShown_ = false;
    int lastPercent_ = -1;
    bool progressLineOpen_ = false;
    bool headerShown_ = false;
    bool statusChanged_ = false;
};

// "<a href="URL">text</a>" as "text (URL)"; other text unchanged.
std::string plainLinkText(const std::string& markup);

}  // namespace zeltor
