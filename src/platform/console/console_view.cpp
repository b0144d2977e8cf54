#include "platform/console/console_view.h"

#include "platform/console/display_width.h"
#include "ui/dialog_controls.h"

namespace zeltor {

std::string plainLinkText(const std::string& markup) {
    const std::string open = "<a href=\"";
    const auto start = markup.find(open);
    if (start == std::string::npos) {
        return markup;
    }
    const auto urlEnd = markup.find("\">", start + open.size());
    const auto textEnd = markup.find("</a>", urlEnd == std::string::npos ? start : urlEnd);
    if (urlEnd == std::string::npos || textEnd == std::string::npos) {
        return markup;
    }
    const std::string url = markup.substr(start + open.size(), urlEnd - start - open.size());
    const std::string text = markup.substr(urlEnd + 2, textEnd - urlEnd - 2);
    return markup.substr(0, start) + text + " (" + url + ")" + markup.substr(textEnd + 4);
}

ConsoleView::ConsoleView(const DialogModel& dialog, std::FILE* out, bool terminal)
    : dialog_(dialog), out_(out), terminal_(terminal) {}

void ConsoleView::showHeader() {
    headerShown_ = true;
    const std::string title = dialog_.control(IDC_DIALOG).text;
    printLine(title);
    printLine(std::string(displayWidth(title), '='));
    printLine(dialog_.control(IDC_HEADING).text);
    printLine(dialog_.control(IDC_WARNING).text);
    for (const auto& line : dialog_.control(IDC_RELEASE_NOTES).lines) {
        printLine(dialog_.control(IDC_RELEASE_NOTES_CAPTION).text + ": " + line);
    }
    printLine("");
}

void ConsoleView::say(const std::string& line) {
    flush();
    printLine(line);
}

void ConsoleView::flush() {
    if (!statusChanged_) {
        return;
    }
    statusChanged_ = false;
    const auto& status = dialog_.control(IDC_STATUS_LINK);
    const std::string text = status.visible ? plainLinkText(status.text) : std::string();
    if (!text.empty() && text != lastStatus_) {
        printLine("  " + text);
    }
    lastStatus_ = text;
}

void ConsoleView::endProgressLine() {
    if (progressLineOpen_) {
        std::fputc('\n', out_);
        progressLineOpen_ = false;
    }
}

void ConsoleView::printLine(const std::string& line) {
    endProgressLine();
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
}

void ConsoleView::drawProgress() {
    const std::uint32_t maximum = dialog_.progressMaximum();
    const int percent =
        maximum == 0
            ? 0
            : static_cast<int>(100.0 * dialog_.progressPosition() / static_cast<double>(maximum));
    if (percent == lastPercent_) {
        return;
    }
    lastPercent_ = percent;
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    const std::string bar = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                            std::string(static_cast<std::size_t>(kWidth - filled), '.') + "] " +
                            std::to_string(percent) + "%";
    if (terminal_) {
        std::fprintf(out_, "\r%s", bar.c_str());
        progressLineOpen_ = true;
        std::fflush(out_);
    } else if (percent % 10 == 0) {
        // Without a terminal a redraw would be a new line each time: every tenth is enough.
        std::fprintf(out_, "%s\n", bar.c_str());
        std::fflush(out_);
    }
}

void ConsoleView::onControlChanged(int controlId) {
    const bool shown =
        controlId == IDC_INSTRUCTIONS || controlId == IDC_STATUS_LINK || controlId == IDC_PROGRESS;
    if (!shown) {
        return;
    }
    // The fixed texts are all set before the first state shows anything.
    if (!headerShown_) {
        showHeader();
    }
    if (controlId != IDC_STATUS_LINK) {
        flush();
    }
    switch (controlId) {
        case IDC_INSTRUCTIONS: {
            const std::string& text = dialog_.control(IDC_INSTRUCTIONS).text;
            if (!text.empty() && text != lastInstructions_) {
                printLine(text);
            }
            lastInstructions_ = text;
            break;
        }
        case IDC_STATUS_LINK:
            statusChanged_ = true;
            break;
        case IDC_PROGRESS: {
            const bool visible = dialog_.control(IDC_PROGRESS).visible;
            if (visible && !progressShown_) {
                lastPercent_ = -1;
            }
            const bool appeared = visible && !progressShown_;
            progressShown_ = visible;
            if (visible && !appeared) {
                drawProgress();
            } else {
                endProgressLine();
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace zeltor
