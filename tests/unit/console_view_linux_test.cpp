#include "platform/console/console_view.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sim/headless_dialog_host.h"
#include "ui/dialog_controls.h"

namespace zeltor {
namespace {

TEST(ConsoleViewTest, LinkMarkupReadsAsTextAndAddress) {
    const std::pair<std::string, std::string> cases[] = {
        {"<a href=\"https://x.example/a\">FAQ</a>", "FAQ (https://x.example/a)"},
        {"See <a href=\"u\">t</a>.", "See t (u)."},
        {"plain text", "plain text"},
        {"<a href=\"broken", "<a href=\"broken"},
    };
    for (const auto& [markup, plain] : cases) {
        EXPECT_EQ(plainLinkText(markup), plain) << markup;
    }
}

// What a log file or a pipe receives: plain lines, each status once, progress every tenth.
TEST(ConsoleViewTest, WithoutATerminalTheOutputIsPlainLines) {
    SimScheduler scheduler;
    HeadlessDialogHost dialog(scheduler);
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    ConsoleView view(dialog, out, false);
    dialog.setChangeHandler([&view](int id) { view.onControlChanged(id); });

    dialog.setText(IDC_DIALOG, "Title");
    dialog.setText(IDC_INSTRUCTIONS, "Updating.");
    dialog.showControl(IDC_STATUS_LINK, true);  // still the template's marker
    dialog.setText(IDC_STATUS_LINK, "Updating headset");
    view.flush();
    dialog.setProgressRange(20);
    dialog.setProgressStep(1);
    dialog.showControl(IDC_PROGRESS, true);
    for (int i = 0; i < 20; ++i) {
        dialog.progressStepIt();
    }
    dialog.setText(IDC_STATUS_LINK, "Updating headset");
    view.flush();
    std::fclose(out);
    const std::string text(buffer, size);
    std::free(buffer);

    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.find("__Status__"), std::string::npos);
    EXPECT_NE(text.find("Title\n=====\n"), std::string::npos);
    EXPECT_NE(text.find("Updating.\n  Updating headset\n"), std::string::npos);
    EXPECT_NE(text.find("] 50%\n"), std::string::npos);
    EXPECT_NE(text.find("] 100%\n"), std::string::npos);
    EXPECT_EQ(text.find("] 55%"), std::string::npos);
    EXPECT_EQ(text.find("Updating headset"), text.rfind("Updating headset"));
}

}  // namespace
}  // namespace zeltor
