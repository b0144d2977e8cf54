#include "platform/win32/dialog_window_win32.h"

// clang-format off
#include <commctrl.h>
// clang-format on

#include <memory>

#include "base/text.h"
#include "controller/brennic_dfu_dlg.h"
#include "hid/device_change.h"
#include "platform/win32/deferred_device_changes_win32.h"
#include "platform/win32/dialog_messages_win32.h"
#include "platform/win32/headset_chooser_win32.h"
#include "platform/win32/instance_window_win32.h"
#include "platform/win32/wide_text_win32.h"
#include "trace/trace_log.h"
#include "ui/dialog_controls.h"
#include "ui/dialog_templates.h"

namespace zeltor {
namespace {

using Work = std::function<void()>;

HICON loadIcon(int iconId, int width, int height) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId),
                                         IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

// Runs and releases the work a private message carries.
void runCarriedWork(LPARAM lParam) {
    const std::unique_ptr<Work> work(reinterpret_cast<Work*>(lParam));
    if (work && *work) {
        (*work)();
    }
}

}  // namespace

Win32Dialog::Win32Dialog(ModalLoopServices& services) : services_(services) {
    // Ticks reach the window as its timer message, with the controller's timer ids.
    services_.loop.setTimerHandler([this](std::uint32_t id) {
        if (window_ != nullptr) {
            SendMessageW(window_, WM_TIMER, id, 0);
        }
    });
}

Win32Dialog::~Win32Dialog() {
    services_.loop.setTimerHandler({});
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    for (const HICON picture : pictures_) {
        DestroyIcon(picture);
    }
    if (boldFont_ != nullptr) {
        DeleteObject(boldFont_);
    }
    if (icon_ != nullptr) {
        DestroyIcon(icon_);
    }
    if (smallIcon_ != nullptr) {
        DestroyIcon(smallIcon_);
    }
}

bool Win32Dialog::create(CBrennicDFUDlg& controller) {
    controller_ = &controller;
    icon_ =
        loadIcon(ZELTOR_ICON_APPLICATION, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    smallIcon_ = loadIcon(ZELTOR_ICON_APPLICATION, GetSystemMetrics(SM_CXSMICON),
                          GetSystemMetrics(SM_CYSMICON));
    const HWND window =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ZELTOR_MAIN_DIALOG_ID),
                           nullptr, dialogProc, reinterpret_cast<LPARAM>(this));
    if (window == nullptr) {
        Trace("Warning: dialog creation failed, so application is terminating unexpectedly.\n");
        Trace("  CreateDialogParamW: error=%lu\n", GetLastError());
        return false;
    }
    return true;
}

int Win32Dialog::runModal() {
    runModalLoop(
        window_, [this] { return ended_; }, services_);
    releaseWaitingWork();
    DestroyWindow(window_);
    window_ = nullptr;
    return result_;
}

INT_PTR CALLBACK Win32Dialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Win32Dialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->window_ = window;
        return self->onInitDialog() ? TRUE : FALSE;
    }
    auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
    return self == nullptr ? FALSE : self->handle(message, wParam, lParam);
}

INT_PTR Win32Dialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            if (IsIconic(window_)) {
                paintMinimised();
                return TRUE;
            }
            return FALSE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(icon_);
        case WM_DFU_SWITCH_STATE:
        case WM_DFU_DEVICE_EVENT:
        case WM_DFU_POSTED_WORK:
            runCarriedWork(lParam);
            return TRUE;
        case WM_TIMER:
            controller_->OnTimer(static_cast<std::uint32_t>(wParam));
            return TRUE;
        case WM_DEVICECHANGE:
        case DeferredDeviceChanges::kMessage: {
            const bool granted = deferred_.route(
                window_, message, wParam, lParam,
                [this](const DeviceChange& change) { return handleDeviceChange(change); });
            if (message == WM_DEVICECHANGE) {
                SetWindowLongPtrW(window_, DWLP_MSGRESULT, granted);
            }
            return TRUE;
        }
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                onCommand(LOWORD(wParam));
            }
            return TRUE;
        case WM_NOTIFY:
            return onNotify(*reinterpret_cast<const NMHDR*>(lParam)) ? TRUE : FALSE;
        case WM_CLOSE:
            // The close box: closing is the controller's decision, as for Escape.
            controller_->OnCancel();
            return TRUE;
        default:
            return FALSE;
    }
}

bool Win32Dialog::onInitDialog() {
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    // A second instance finds this window by its mark and brings it to the front.
    SetPropW(window_, kInstanceWindowMark, reinterpret_cast<HANDLE>(1));
    controller_->OnInitDialog();
    return true;
}

void Win32Dialog::onCommand(int id) {
    switch (id) {
        case IDC_START:
            controller_->OnStartClicked();
            break;
        case IDC_CLOSE:
            controller_->OnCloseClicked();
            break;
        case IDOK:
            controller_->OnOK();
            break;
        case IDCANCEL:
            controller_->OnCancel();
            break;
        default:
            break;
    }
}

bool Win32Dialog::onNotify(const NMHDR& header) {
    if (header.idFrom != IDC_STATUS_LINK || (header.code != NM_CLICK && header.code != NM_RETURN)) {
        return false;
    }
    const auto& link = reinterpret_cast<const NMLINK&>(header);
    const auto* url = reinterpret_cast<const char16_t*>(link.item.szUrl);
    controller_->OnStatusLinkClick(utf16ToUtf8(url));
    SetWindowLongPtrW(window_, DWLP_MSGRESULT, 0);
    return true;
}

bool Win32Dialog::handleDeviceChange(const DeviceChange& change) {
    if (repeats_.isRepeat(change)) {
        return true;
    }
    return controller_->OnDeviceChange(change.eventType, change.hasHeader ? &change : nullptr);
}

void Win32Dialog::paintMinimised() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window_, &paint);
    SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(window_, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(window_, &paint);
}

HWND Win32Dialog::control(int controlId) const {
    return controlId == IDC_DIALOG ? window_ : GetDlgItem(window_, controlId);
}

void Win32Dialog::postWork(UINT message, WPARAM wParam, std::function<void()> work) {
    auto carried = std::make_unique<Work>(std::move(work));
    if (PostMessageW(window_, message, wParam, reinterpret_cast<LPARAM>(carried.get()))) {
        carried.release();
    } else {
        Trace("PostMessage failed: error=%lu\n", GetLastError());
    }
}

void Win32Dialog::releaseWaitingWork() {
    MSG message;
    while (PeekMessageW(&message, window_, WM_DFU_SWITCH_STATE, WM_DFU_POSTED_WORK, PM_REMOVE)) {
        delete reinterpret_cast<Work*>(message.lParam);
    }
}

void Win32Dialog::post(std::function<void()> work) {
    postWork(WM_DFU_POSTED_WORK, 0, std::move(work));
}

void Win32Dialog::postSwitchState(int state, std::function<void()> work) {
    postWork(WM_DFU_SWITCH_STATE, static_cast<WPARAM>(state), std::move(work));
}

void Win32Dialog::postDeviceEvent(std::function<void()> work) {
    postWork(WM_DFU_DEVICE_EVENT, 0, std::move(work));
}

void Win32Dialog::setTimer(std::uint32_t id, std::uint32_t periodMs) {
    services_.loop.setTimer(id, periodMs);
}

void Win32Dialog::killTimer(std::uint32_t id) {
    services_.loop.killTimer(id);
}

bool Win32Dialog::hasControl(int controlId) const {
    return control(controlId) != nullptr;
}

void Win32Dialog::setText(int controlId, const std::string& text) {
    if (const HWND target = control(controlId); target != nullptr) {
        SetWindowTextW(target, wideText(utf8ToUtf16(text)));
    }
}

void Win32Dialog::showControl(int controlId, bool show) {
    if (const HWND target = control(controlId); target != nullptr) {
        ShowWindow(target, show ? SW_SHOW : SW_HIDE);
    }
}

void Win32Dialog::enableControl(int controlId, bool enable) {
    if (const HWND target = control(controlId); target != nullptr) {
        EnableWindow(target, enable ? TRUE : FALSE);
    }
}

void Win32Dialog::setBold(int controlId) {
    const HWND target = control(controlId);
    const auto font = target == nullptr
                          ? nullptr
                          : reinterpret_cast<HFONT>(SendMessageW(target, WM_GETFONT, 0, 0));
    LOGFONTW description;
    if (font == nullptr || GetObjectW(font, sizeof(description), &description) == 0) {
        return;
    }
    description.lfWeight = FW_BOLD;
    const HFONT bold = CreateFontIndirectW(&description);
    if (bold == nullptr) {
        return;
    }
    SendMessageW(target, WM_SETFONT, reinterpret_cast<WPARAM>(bold), TRUE);
    if (boldFont_ != nullptr) {
        DeleteObject(boldFont_);
    }
    boldFont_ = bold;
}

void Win32Dialog::addListLine(int controlId, const std::string& text) {
    SendDlgItemMessageW(window_, controlId, LB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(wideText(utf8ToUtf16(text))));
}

void Win32Dialog::setPicture(int controlId, int iconId) {
    // At the picture's own size; the control keeps showing it, so the window owns it.
    const HICON picture = loadIcon(iconId, 0, 0);
    if (picture == nullptr) {
        Trace("LoadImage of icon %d failed: error=%lu\n", iconId, GetLastError());
        return;
    }
    pictures_.push_back(picture);
    SendDlgItemMessageW(window_, controlId, STM_SETICON, reinterpret_cast<WPARAM>(picture), 0);
}

void Win32Dialog::setProgressRange(std::uint32_t maximum) {
    SendDlgItemMessageW(window_, IDC_PROGRESS, PBM_SETRANGE32, 0, static_cast<LPARAM>(maximum));
}

void Win32Dialog::setProgressStep(int step) {
    SendDlgItemMessageW(window_, IDC_PROGRESS, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void Win32Dialog::setProgressPosition(int position) {
    SendDlgItemMessageW(window_, IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void Win32Dialog::progressStepIt() {
    SendDlgItemMessageW(window_, IDC_PROGRESS, PBM_STEPIT, 0, 0);
}

ChooserResult Win32Dialog::runHeadsetChooser(const std::string& caption,
                                             const std::string& description) {
    return runHeadsetChooserDialog(window_, services_, caption, description);
}

void Win32Dialog::endDialog(int result) {
    result_ = result;
    ended_ = true;
}

}  // namespace zeltor
