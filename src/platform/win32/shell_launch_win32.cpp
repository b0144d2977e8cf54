#include "platform/win32/shell_launch_win32.h"

#include <windows.h>
// After windows.h, which they need.
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "base/text.h"

namespace zeltor {
namespace {

using Microsoft::WRL::ComPtr;

// The service under which the desktop window offers its browser; the platform headers here do
// not declare it.
const GUID kTopLevelBrowserService = {
    0x4C96BE40, 0x915C, 0x11CF, {0x99, 0xD3, 0x00, 0xAA, 0x00, 0x4A, 0xE8, 0x37}};

// COM for this thread, for as long as the launch takes. A thread that already runs in another
// apartment keeps it; the shell objects are reachable from either.
class ComForThisThread {
public:
    ComForThisThread()
        : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComForThisThread() {
        if (initialised_) {
            CoUninitialize();
        }
    }
    ComForThisThread(const ComForThisThread&) = delete;
    ComForThisThread& operator=(const ComForThisThread&) = delete;

private:
    bool initialised_;
};

// A variant that owns what it holds.
class Variant {
public:
    Variant() { VariantInit(&value_); }
    explicit Variant(int number) : Variant() {
        V_VT(&value_) = VT_I4;
        V_I4(&value_) = number;
    }
    explicit Variant(const std::string& text) : Variant() {
        const std::u16string wide = utf8ToUtf16(text);
        BSTR string = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                        static_cast<UINT>(wide.size()));
        if (string != nullptr) {
            V_VT(&value_) = VT_BSTR;
            V_BSTR(&value_) = string;
        }
    }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* get() { return &value_; }
    bool holdsText() const { return V_VT(&value_) == VT_BSTR; }

private:
    VARIANT value_;
};

// The desktop window's active shell view, asked for `iid`.
HRESULT findDesktopShellView(REFIID iid, void** result) {
    ComPtr<IShellWindows> windows;
    HRESULT hr = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                  reinterpret_cast<void**>(windows.GetAddressOf()));
    if (FAILED(hr)) {
        return hr;
    }
    Variant location(CSIDL_DESKTOP);
    Variant root;
    LONG window = 0;
    ComPtr<IDispatch> desktop;
    // S_FALSE and no object when there is no desktop window.
    hr = windows->FindWindowSW(location.get(), root.get(), SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                               desktop.GetAddressOf());
    if (hr != S_OK || !desktop) {
        return E_FAIL;
    }
    ComPtr<IServiceProvider> services;
    if (FAILED(hr = desktop.As(&services))) {
        return hr;
    }
    ComPtr<IShellBrowser> browser;
    if (FAILED(hr = services->QueryService(kTopLevelBrowserService, IID_IShellBrowser,
                                           reinterpret_cast<void**>(browser.GetAddressOf())))) {
        return hr;
    }
    ComPtr<IShellView> view;
    if (FAILED(hr = browser->QueryActiveShellView(view.GetAddressOf())) || !view) {
        return E_FAIL;
    }
    return view->QueryInterface(iid, result);
}

// The object behind the background of the desktop's view, asked for `iid`.
HRESULT getDesktopFolderView(REFIID iid, void** result) {
    ComPtr<IShellView> view;
    HRESULT hr =
        findDesktopShellView(IID_IShellView, reinterpret_cast<void**>(view.GetAddressOf()));
    if (FAILED(hr)) {
        return hr;
    }
    ComPtr<IDispatch> background;
    if (FAILED(hr = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch,
                                        reinterpret_cast<void**>(background.GetAddressOf()))) ||
        !background) {
        return E_FAIL;
    }
    return background->QueryInterface(iid, result);
}

}  // namespace

void launchThroughDesktopShell(const std::string& file, const std::string& arguments,
                               const std::string& directory, const std::string& operation,
                               int show) {
    // An empty name names nothing to start: the shell is not asked.
    if (file.empty()) {
        return;
    }
    const ComForThisThread com;
    ComPtr<IShellFolderViewDual> folderView;
    if (FAILED(getDesktopFolderView(IID_IShellFolderViewDual,
                                    reinterpret_cast<void**>(folderView.GetAddressOf()))) ||
        !folderView) {
        return;
    }
    ComPtr<IDispatch> application;
    if (FAILED(folderView->get_Application(application.GetAddressOf())) || !application) {
        return;
    }
    ComPtr<IShellDispatch2> shell;
    if (FAILED(application.As(&shell))) {
        return;
    }
    Variant fileText(file);
    Variant argumentsText(arguments);
    Variant directoryText(directory);
    Variant verbText(operation);
    Variant showState(show);
    if (!fileText.holdsText() || !argumentsText.holdsText() || !directoryText.holdsText() ||
        !verbText.holdsText()) {
        return;
    }
    // The shell reports its own failures; the caller learns nothing of them by design.
    shell->ShellExecute(V_BSTR(fileText.get()), *argumentsText.get(), *directoryText.get(),
                        *verbText.get(), *showState.get());
}

}  // namespace zeltor
