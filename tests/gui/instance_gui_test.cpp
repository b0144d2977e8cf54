// A second BrennicFirmwareUpdate.exe started while one runs: it touches no device, brings the
// running one's window to the front and ends with the cannot-start code, while the first goes on.
// Both run on the GUI tests' display and in their Wine prefix, the first with /SIMULATE at ready.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>

#include "base/text.h"
#include "platform/win32/documents_folder_win32.h"
#include "platform/win32/instance_window_win32.h"
#include "trace/run_log.h"
#include "ui/dialog_controls.h"
#include "window_probe_win32.h"

namespace zeltor {
namespace {

// Another process does not run on the tests' virtual clock: what it shows is waited for, with a
// bound far beyond a start under Wine, so that a program that never gets there fails the test.
constexpr DWORD kProgramBoundMs = 60'000;

std::wstring wide(const std::string& text) {
    const std::u16string utf16 = utf8ToUtf16(text);
    return std::wstring(utf16.begin(), utf16.end());
}

// Serves this thread's windows while waiting: a window changing the foreground sends messages to
// the window that loses it, and waits for them to be handled.
void serveMessages(DWORD milliseconds) {
    MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool waitFor(const std::function<bool()>& done) {
    const auto start = GetTickCount64();
    while (!done()) {
        if (GetTickCount64() - start > kProgramBoundMs) {
            return false;
        }
        serveMessages(20);
    }
    return true;
}

// The program started with its arguments, its standard error kept in a file; ended at the end of
// the test if it still runs.
class RunningProgram {
public:
    RunningProgram(const std::string& arguments, const std::string& errorFile)
        : errorFile_(errorFile) {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        const HANDLE error = CreateFileW(wide(errorFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                         &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdError = error;
        std::wstring commandLine = L"\"" + programPath() + L"\" " + wide(arguments);
        PROCESS_INFORMATION process{};
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                           &startup, &process)) {
            CloseHandle(process.hThread);
            process_ = process.hProcess;
            id_ = process.dwProcessId;
        } else {
            ADD_FAILURE() << "CreateProcess failed: error=" << GetLastError();
        }
        if (error != INVALID_HANDLE_VALUE) {
            CloseHandle(error);
        }
    }
    ~RunningProgram() {
        if (process_ == nullptr) {
            return;
        }
        if (running()) {
            TerminateProcess(process_, 99);
            WaitForSingleObject(process_, kProgramBoundMs);
        }
        CloseHandle(process_);
        DeleteFileW(wide(errorFile_).c_str());
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    DWORD id() const { return id_; }
    bool running() const {
        return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
    }
    std::optional<DWORD> exitCode() {
        if (process_ == nullptr || !waitFor([this] { return !running(); })) {
            return std::nullopt;
        }
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        return code;
    }
    std::string errorText() const {
        std::ifstream file(errorFile_, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

private:
    static std::wstring programPath() {
        std::wstring path = wide(ZELTOR_PROGRAM_PATH);
        for (wchar_t& c : path) {
            c = c == L'/' ? L'\\' : c;
        }
        return path;
    }

    std::string errorFile_;
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// A shown top-level window of process `id` for which `matches` holds.
HWND findWindowOf(DWORD id, const std::function<bool(HWND)>& matches) {
    struct Search {
        DWORD id;
        const std::function<bool(HWND)>* matches;
        HWND found;
    } search{id, &matches, nullptr};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.id && IsWindowVisible(window) && (*s.matches)(window)) {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND chooserOf(DWORD id) {
    return findWindowOf(id, [](HWND w) { return GetDlgItem(w, IDC_REGULAR_HEADSET) != nullptr; });
}

HWND mainDialogOf(DWORD id) {
    return findWindowOf(id, [](HWND w) { return GetPropW(w, kInstanceWindowMark) != nullptr; });
}

std::optional<ULONGLONG> logSize() {
    const std::optional<std::string> folder = documentsFolder();
    if (!folder) {
        return std::nullopt;
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(wide(*folder + "\\" + kLogFileName).c_str(), GetFileExInfoStandard,
                              &data)) {
        return std::nullopt;
    }
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A window of the test's own, in front before the second program starts.
class OwnWindow {
public:
    OwnWindow()
        : window_(CreateWindowExW(0, L"STATIC", L"another program",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 500, 300, 200, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr)) {}
    ~OwnWindow() { DestroyWindow(window_); }
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    HWND window() const { return window_; }

private:
    HWND window_;
};

// The first program's dialog as the second finds it: behind another window, or minimised.
struct InstanceCase {
    const char* name;
    bool minimised;
};

class SecondInstance : public testing::TestWithParam<InstanceCase> {};

TEST_P(SecondInstance, BringsTheFirstToTheFrontAndEndsWithoutTouchingAnything) {
    const InstanceCase& c = GetParam();
    RunningProgram first("/SIMULATE", "first-instance-stderr.txt");
    ASSERT_TRUE(first.running());
    ASSERT_TRUE(waitFor([&] { return chooserOf(first.id()) != nullptr; }))
        << "the first program never showed its chooser";
    PostMessageW(GetDlgItem(chooserOf(first.id()), IDC_REGULAR_HEADSET), BM_CLICK, 0, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(waitFor([&] {
        dialog = mainDialogOf(first.id());
        return dialog != nullptr && IsWindowVisible(GetDlgItem(dialog, IDC_START));
    })) << "the first program never offered Start";

    const OwnWindow other;
    SetForegroundWindow(other.window());
    serveMessages(0);
    ASSERT_EQ(GetForegroundWindow(), other.window()) << "the test's window cannot be put in front";
    if (c.minimised) {
        ShowWindow(dialog, SW_MINIMIZE);
        ASSERT_TRUE(waitFor([&] { return IsIconic(dialog) != FALSE; }));
        SetForegroundWindow(other.window());
        serveMessages(0);
    }
    const std::optional<ULONGLONG> logBefore = logSize();
    ASSERT_TRUE(logBefore) << "the first program keeps no log in the Documents folder";

    RunningProgram second("/SIMULATE", "second-instance-stderr.txt");
    EXPECT_EQ(second.exitCode(), std::optional<DWORD>(2));
    EXPECT_NE(second.errorText().find("cannot start: another instance is running"),
              std::string::npos)
        << second.errorText();
    serveMessages(0);
    EXPECT_EQ(GetForegroundWindow(), dialog);
    EXPECT_FALSE(IsIconic(dialog));
    // The first goes on at ready; the second wrote no line of its own to the log, so it neither
    // opened it nor reached a device.
    EXPECT_TRUE(first.running());
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_START)));
    EXPECT_EQ(logSize(), logBefore);
    EXPECT_TRUE(saveScreenshot(dialog, std::string("second-instance-front-") + c.name));

    // Ready may close: the close box ends the first with the code of a run closed before its end.
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.exitCode(), std::optional<DWORD>(130));
}

INSTANTIATE_TEST_SUITE_P(InstanceGui, SecondInstance,
                         testing::Values(InstanceCase{"behind_another_window", false},
                                         InstanceCase{"minimised", true}),
                         [](const testing::TestParamInfo<InstanceCase>& info) {
                             return info.param.name;
                         });

}  // namespace
}  // namespace zeltor
