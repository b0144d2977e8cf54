#include "platform/console/console_view.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/console/display_width.h"
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

TEST(ConsoleViewTest, WideCharactersTakeTwoColumnsAndOthersOne) {
    const std::pair<const char*, std::size_t> cases[] = {
        {"Zeltor", 6},
        {"Утилита", 7},              // Cyrillic: two bytes each, one column
        {"アップデートツール", 18},  // kana
        {"更新工具", 8},             // CJK ideographs
        {"업데이트", 8},             // Hangul
        {"（112）", 7},              // fullwidth parentheses
        {"ｱｯﾌﾟ", 4},                 // halfwidth kana
        {"\U0001F3A7 ok", 5},        // an emoji drawn wide
        {"Güncelleme Aracı", 16},
        {"", 0},
    };
    for (const auto& [text, width] : cases) {
        EXPECT_EQ(displayWidth(text), width) << text;
    }
}

// A console view over a headless dialog, writing to memory as to a pipe: no terminal.
struct ViewedDialog {
    ViewedDialog() {
        dialog.setChangeHandler([this](int id) { view.onControlChanged(id); });
    }
    ~ViewedDialog() {
        output();
        std::free(buffer);
    }
    // Everything the view wrote; it writes nothing more.
    std::string output() {
        if (out != nullptr) {
            std::fclose(out);
            out = nullptr;
        }
        return std::string(buffer, size);
    }

    EventClock scheduler;
    HeadlessDialogHost dialog{scheduler};
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    ConsoleView view{dialog, out, false};
};

TEST(ConsoleViewTest, TheTitlesUnderlineIsAsWideAsTheTitle) {
    const std::pair<std::string, std::size_t> titles[] = {
        {"Tesmoray Zeltor Wireless アップデートツール 112.2.212", 53},
        {"Утилита обновления Halvorix Zeltor Wireless, версия 112.2.212", 61},
        {"Halvorix Zeltor Wireless 업데이트 도구 112.2.212", 48},
    };
    for (const auto& [title, width] : titles) {
        ViewedDialog v;
        v.dialog.setText(IDC_DIALOG, title);
        v.view.showHeader();
        EXPECT_TRUE(v.output().starts_with(title + "\n" + std::string(width, '=') + "\n")) << title;
    }
}

// What a log file or a pipe receives: plain lines, each status once, progress every tenth.
TEST(ConsoleViewTest, WithoutATerminalTheOutputIsPlainLines) {
    ViewedDialog v;
    HeadlessDialogHost& dialog = v.dialog;
    dialog.setText(IDC_DIALOG, "Title");
    dialog.setText(IDC_INSTRUCTIONS, "Updating.");
    dialog.showControl(IDC_STATUS_LINK, true);  // still the template's marker
    dialog.setText(IDC_STATUS_LINK, "Updating headset");
    v.view.flush();
    dialog.setProgressRange(20);
    dialog.setProgressStep(1);
    dialog.showControl(IDC_PROGRESS, true);
    for (int i = 0; i < 20; ++i) {
        dialog.progressStepIt();
    }
    dialog.setText(IDC_STATUS_LINK, "Updating headset");
    v.view.flush();
    const std::string text = v.output();

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
