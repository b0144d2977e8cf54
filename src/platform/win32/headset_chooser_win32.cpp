#include "platform/win32/headset_chooser_win32.h"

#include "base/text.h"
#include "platform/win32/wide_text_win32.h"
#include "trace/trace_log.h"
#include "ui/dialog_controls.h"
#include "ui/dialog_templates.h"

namespace zeltor {
namespace {

struct ChooserState {
    const std::string& caption;
    const std::string& description;
    bool ended = false;
    ChooserResult result = ChooserResult::Closed;
    HICON pictures[2] = {nullptr, nullptr};
};

void end(HWND window, ChooserState& state, ChooserResult result) {
    state.result = result;
    state.ended = true;
    ShowWindow(window, SW_HIDE);
}

void initChooser(HWND window, ChooserState& state) {
    struct Picture {
        int control;
        int icon;
    };
    constexpr Picture kPictures[] = {{IDC_REGULAR_HEADSET, IDI_REGULAR_HEADSET},
                                     {IDC_SHROUD_HEADSET, IDI_SHROUD_HEADSET}};
    for (std::size_t i = 0; i < 2; ++i) {
        // At the picture's own size.
        state.pictures[i] = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                          MAKEINTRESOURCEW(kPictures[i].icon),
                                                          IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
        if (state.pictures[i] == nullptr) {
            Trace("LoadImage of icon %d failed: error=%lu\n", kPictures[i].icon, GetLastError());
        }
        SendDlgItemMessageW(window, kPictures[i].control, BM_SETIMAGE, IMAGE_ICON,
                            reinterpret_cast<LPARAM>(state.pictures[i]));
    }
    struct Text {
        int control;
        const std::string& text;
    };
    const Text texts[] = {{IDC_DIALOG, state.caption}, {IDC_CHOOSE_DESCRIPTION, state.description}};
    for (const Text& text : texts) {
        const HWND target = text.control == IDC_DIALOG ? window : GetDlgItem(window, text.control);
        if (target != nullptr) {
            SetWindowTextW(target, wideText(utf8ToUtf16(text.text)));
        }
    }
}

INT_PTR CALLBACK chooserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        initChooser(window, *reinterpret_cast<ChooserState*>(lParam));
        return TRUE;
    }
    auto* state = reinterpret_cast<ChooserState*>(GetWindowLongPtrW(window, DWLP_USER));
    if (state == nullptr) {
        return FALSE;
    }
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) {
                return FALSE;
            }
            switch (LOWORD(wParam)) {
                case IDC_REGULAR_HEADSET:
                    end(window, *state, ChooserResult::Regular);
                    return TRUE;
                case IDC_SHROUD_HEADSET:
                    end(window, *state, ChooserResult::Shroud);
                    return TRUE;
                case IDCANCEL:
                    end(window, *state, ChooserResult::Closed);
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_CLOSE:
            end(window, *state, ChooserResult::Closed);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

ChooserResult runHeadsetChooserDialog(HWND owner, ModalLoopServices& services,
                                      const std::string& caption, const std::string& description) {
    ChooserState state{caption, description};
    const HWND window =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ZELTOR_CHOOSER_DIALOG_ID),
                           owner, chooserProc, reinterpret_cast<LPARAM>(&state));
    if (window == nullptr) {
        Trace("The headset type chooser cannot be created: error=%lu\n", GetLastError());
        return ChooserResult::Closed;
    }
    ShowWindow(window, SW_SHOW);
    // Modal: its owner takes no input while it is open.
    const bool ownerWasEnabled = owner != nullptr && !EnableWindow(owner, FALSE);
    runModalLoop(
        window, [&state] { return state.ended; }, services);
    if (ownerWasEnabled) {
        EnableWindow(owner, TRUE);
    }
    DestroyWindow(window);
    for (const HICON picture : state.pictures) {
        if (picture != nullptr) {
            DestroyIcon(picture);
        }
    }
    return state.result;
}

}  // namespace zeltor
