// The Windows dialog and its chooser, driven as a person would drive them, with window messages
// and questions to the windows: the whole simulated update in virtual time, the failure that
// ends in the customer-care text, the close rules, the layout of template 102 and the texts in
// three languages.
#include <gtest/gtest.h>
#include <windows.h>

// clang-format off
#include <commctrl.h>
#include <dbt.h>
// clang-format on

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/front_end_options.h"
#include "app/run_options.h"
#include "base/text.h"
#include "controller/brennic_dfu_dlg.h"
#include "dialog_script_win32.h"
#include "hid/device_role.h"
#include "platform/win32/common_controls_win32.h"
#include "platform/win32/dialog_window_win32.h"
#include "platform/win32/host_services_win32.h"
#include "program/dialog_program_win32.h"
#include "sim/sim_host_services.h"
#include "ui/dialog_controls.h"
#include "window_probe_win32.h"

namespace zeltor {
namespace {

constexpr const char* kTitle = "Halvorix Zeltor Wireless Update Tool 112.2.212";
constexpr const char* kReleaseNote =
    "* Fixed an issue that could cause an incorrect mute/unmute tone when playing media in "
    "Windows 11.";
constexpr const char* kTroubleshootingAddress =
    "https://support.halvorix.com/en_us/article/Recover-a-non-responsive-Brennic-gaming-headset";

// The program's start, and a guard: a dialog that waits for something that never comes would
// wait for a person forever; the tests end with a failure instead, well before CTest's limit.
class GuiTestEnvironment : public testing::Environment {
public:
    void SetUp() override {
        // As the program does first.
        initCommonControls();
        CreateThread(nullptr, 0, guard, nullptr, 0, nullptr);
    }

private:
    static DWORD WINAPI guard(LPVOID) {
        Sleep(240'000);
        std::fprintf(stderr,
                     "The GUI tests did not end within 240 s: a dialog waits for a person\n");
        std::fflush(stderr);
        ExitProcess(3);
    }
};
const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new GuiTestEnvironment);

struct RunResult {
    int exitCode = -1;
    std::string verdict;
};

RunResult runDialog(const std::vector<std::string>& arguments, DialogScript& script) {
    g_RunOptions = RunOptions{};
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
    const auto count = static_cast<std::uint32_t>(pointers.size());
    parseCommandLine(count, pointers.data(), &g_RunOptions);
    const FrontEndOptions frontEnd = parseFrontEndOptions(count, pointers.data());
    Win32HostServices host;
    RunResult result;
    DialogProgramHooks hooks;
    hooks.onIdle = [&script](DialogRun& run) { return script.onIdle(run); };
    hooks.onNothingMoves = [&script](DialogRun& run) { script.onNothingMoves(run); };
    hooks.onVerdict = [&result](const std::string& verdict) { result.verdict = verdict; };
    result.exitCode = runDialogProgram(frontEnd, host, hooks);
    EXPECT_TRUE(script.finished()) << "the dialog closed before the step: " << script.pending();
    return result;
}

HWND mainWindow(DialogRun& run) {
    return run.dialog.window();
}

HWND chooser() {
    return findShownDialogWith(IDC_REGULAR_HEADSET);
}

// Clicks a push button as the mouse would: the button tells its dialog.
void click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void pressKey(HWND dialog, WPARAM key) {
    PostMessageW(dialog, WM_KEYDOWN, key, 0);
    PostMessageW(dialog, WM_KEYUP, key, 0xC0000000);
}

// Escape, the close box and the Close button all ask the controller to close.
void tryEveryWayToClose(HWND dialog) {
    pressKey(dialog, VK_ESCAPE);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_CLOSE)));
}

bool readyToStart(DialogRun& run) {
    return run.controller.state() == DFU_STATE_READY && controlVisible(mainWindow(run), IDC_START);
}

HICON shownPicture(HWND dialog) {
    return reinterpret_cast<HICON>(SendDlgItemMessageW(dialog, IDC_DEVICE_ICON, STM_GETICON, 0, 0));
}

void expectScreenshot(HWND window, const char* name) {
    EXPECT_TRUE(saveScreenshot(window, name)) << "screenshot " << name;
}

// Template 102, dialog units, in tab order: literals, so that a changed layout table shows here.
struct TemplateControl {
    int id;
    const char* windowClass;
    DialogUnits units;
    bool shownAtStart;
};
constexpr TemplateControl kMainTemplate[] = {
    {IDC_HEADING, "Static", {131, 15, 259, 25}, true},
    {IDC_PROGRESS, "msctls_progress32", {16, 223, 369, 11}, false},
    {IDC_RELEASE_NOTES, "ListBox", {16, 123, 369, 43}, true},
    {IDC_INSTRUCTIONS, "Static", {16, 188, 369, 50}, true},
    {IDC_CLOSE, "Button", {280, 215, 110, 17}, false},
    {IDC_WARNING, "Static", {131, 50, 259, 25}, true},
    {IDC_DEVICE_ICON, "Static", {7, 7, 20, 20}, true},
    {IDC_RELEASE_NOTES_CAPTION, "Static", {16, 110, 369, 8}, true},
    {IDC_STATUS_LINK, "SysLink", {16, 209, 262, 14}, true},
    {IDC_START, "Button", {280, 217, 110, 17}, false},
};

void expectTemplateLayout(HWND dialog, SIZE picture) {
    std::vector<int> expectedOrder;
    for (const TemplateControl& control : kMainTemplate) {
        SCOPED_TRACE(control.id);
        expectedOrder.push_back(control.id);
        EXPECT_EQ(className(GetDlgItem(dialog, control.id)), control.windowClass);
        // The dialog manager converts a control's origin and its size each on their own.
        const RECT origin = dialogUnitsToPixels(dialog, {control.units.x, control.units.y, 0, 0});
        const RECT size =
            dialogUnitsToPixels(dialog, {0, 0, control.units.width, control.units.height});
        const RECT got = controlRect(dialog, control.id);
        EXPECT_EQ(got.left, origin.left);
        EXPECT_EQ(got.top, origin.top);
        // An icon picture takes the size of the icon it shows.
        EXPECT_EQ(got.right - got.left, control.id == IDC_DEVICE_ICON ? picture.cx : size.right);
        EXPECT_EQ(got.bottom - got.top, control.id == IDC_DEVICE_ICON ? picture.cy : size.bottom);
    }
    EXPECT_EQ(childIdsInOrder(dialog), expectedOrder);
    RECT client;
    GetClientRect(dialog, &client);
    const RECT frame = dialogUnitsToPixels(dialog, {0, 0, 401, 242});
    EXPECT_EQ(client.right, frame.right);
    EXPECT_EQ(client.bottom, frame.bottom);
    EXPECT_NE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    EXPECT_NE(
        GetWindowLongPtrW(GetDlgItem(dialog, IDC_STATUS_LINK), GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
    EXPECT_NE(GetWindowLongPtrW(GetDlgItem(dialog, IDC_CLOSE), GWL_STYLE) & BS_DEFPUSHBUTTON, 0);
}

// The chooser as the person sees it before choosing.
void expectChooser(HWND window, const char* caption, const char* description) {
    EXPECT_EQ(windowText(window), caption);
    EXPECT_EQ(controlText(window, IDC_CHOOSE_DESCRIPTION), description);
    const auto picture = [window](int id) {
        return reinterpret_cast<HICON>(SendDlgItemMessageW(window, id, BM_GETIMAGE, IMAGE_ICON, 0));
    };
    const SIZE regular = iconSize(picture(IDC_REGULAR_HEADSET));
    const SIZE shroud = iconSize(picture(IDC_SHROUD_HEADSET));
    EXPECT_EQ(regular.cx, 116);
    EXPECT_EQ(regular.cy, 156);
    EXPECT_EQ(shroud.cx, 119);
    EXPECT_EQ(shroud.cy, 160);
    // The regular picture left, the shroud picture right.
    EXPECT_LT(controlRect(window, IDC_REGULAR_HEADSET).right,
              controlRect(window, IDC_SHROUD_HEADSET).left);
}

TEST(DialogGui, SimulatedUpdateFromChooserToSuccess) {
    DialogScript script;
    bool postedWorkRan = false;
    script.then(
        "the chooser is shown before the main window",
        [](DialogRun&) { return chooser() != nullptr; },
        [&postedWorkRan](DialogRun& run) {
            EXPECT_FALSE(IsWindowVisible(mainWindow(run)));
            EXPECT_EQ(run.controller.state(), DFU_STATE_STARTING);
            expectChooser(chooser(), kTitle, "Please choose your Zeltor Wireless type.");
            expectScreenshot(chooser(), "chooser");
            run.dialog.post([&postedWorkRan] { postedWorkRan = true; });
        });
    script.then(
        "the main dialog's posted messages are handled while the chooser is open",
        [&postedWorkRan](DialogRun&) { return postedWorkRan; },
        [](DialogRun&) {
            ASSERT_NE(chooser(), nullptr);
            click(chooser(), IDC_REGULAR_HEADSET);
        });
    script.then("the dialog offers Start", readyToStart, [](DialogRun& run) {
        const HWND dialog = mainWindow(run);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_FALSE(g_RunOptions.m_Shroud);
        const SIZE picture = iconSize(shownPicture(dialog));
        EXPECT_EQ(picture.cx, 116);
        EXPECT_EQ(picture.cy, 156);
        expectTemplateLayout(dialog, picture);
        EXPECT_EQ(windowText(dialog), kTitle);
        EXPECT_EQ(controlText(dialog, IDC_HEADING),
                  "This application will apply a firmware update (112.2.212) to your Zeltor "
                  "Wireless.");
        EXPECT_EQ(controlText(dialog, IDC_WARNING),
                  "While your Zeltor Wireless is updating, it will not be functional. Please "
                  "wait until the update has completed.");
        EXPECT_EQ(controlText(dialog, IDC_RELEASE_NOTES_CAPTION), "Release Notes");
        EXPECT_EQ(controlText(dialog, IDC_INSTRUCTIONS), "");
        EXPECT_EQ(controlText(dialog, IDC_CLOSE), "Close");
        EXPECT_EQ(controlText(dialog, IDC_START), "Start");
        ASSERT_EQ(SendDlgItemMessageW(dialog, IDC_RELEASE_NOTES, LB_GETCOUNT, 0, 0), 1);
        char16_t line[256] = {};
        SendDlgItemMessageW(dialog, IDC_RELEASE_NOTES, LB_GETTEXT, 0,
                            reinterpret_cast<LPARAM>(line));
        EXPECT_EQ(utf16ToUtf8(line), kReleaseNote);
        EXPECT_TRUE(controlEnabled(dialog, IDC_START));
        EXPECT_FALSE(controlVisible(dialog, IDC_CLOSE));
        EXPECT_FALSE(controlVisible(dialog, IDC_PROGRESS));
        EXPECT_FALSE(controlVisible(dialog, IDC_STATUS_LINK));
        // The instruction line is bold, in a font of the dialog's own.
        const auto font = reinterpret_cast<HFONT>(
            SendDlgItemMessageW(dialog, IDC_INSTRUCTIONS, WM_GETFONT, 0, 0));
        LOGFONTW description{};
        GetObjectW(font, sizeof(description), &description);
        EXPECT_EQ(description.lfWeight, FW_BOLD);
        // The program's icon in the frame, large and small, and as the drag icon.
        const auto bigIcon = reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0));
        EXPECT_NE(bigIcon, nullptr);
        EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), 0);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(dialog, WM_QUERYDRAGICON, 0, 0)), bigIcon);
        expectScreenshot(dialog, "ready");
        click(dialog, IDC_START);
    });
    // The headset's part is about a fifth of the bar; the dongle's is the rest.
    const auto progressAtLeast = [](DialogRun& run, int percent) {
        const HWND dialog = mainWindow(run);
        const auto position = SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_GETPOS, 0, 0);
        const auto range = SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_GETRANGE, FALSE, 0);
        return range > 0 && position * 100 >= range * percent;
    };
    script.then(
        "the dongle's wireless chip is being written, the bar half full",
        [&](DialogRun& run) {
            return run.controller.state() == DFU_STATE_UPDATE_DONGLE && progressAtLeast(run, 50);
        },
        [](DialogRun& run) {
            const HWND dialog = mainWindow(run);
            EXPECT_EQ(controlText(dialog, IDC_INSTRUCTIONS),
                      "Updating firmware. Do not unplug your Zeltor Wireless.");
            EXPECT_EQ(controlText(dialog, IDC_STATUS_LINK), "Updating USB receiver (wireless)");
            EXPECT_TRUE(controlVisible(dialog, IDC_PROGRESS));
            EXPECT_TRUE(controlVisible(dialog, IDC_STATUS_LINK));
            EXPECT_FALSE(controlVisible(dialog, IDC_START));
            EXPECT_FALSE(controlVisible(dialog, IDC_CLOSE));
            expectScreenshot(dialog, "updating");
            tryEveryWayToClose(dialog);
        });
    script.then(
        "closing was refused: the transfer goes on",
        [&](DialogRun& run) {
            return run.controller.state() == DFU_STATE_UPDATE_DONGLE && progressAtLeast(run, 75);
        },
        [](DialogRun& run) { EXPECT_TRUE(IsWindowVisible(mainWindow(run))); });
    script.then(
        "the update has succeeded",
        [](DialogRun& run) { return run.controller.state() == DFU_STATE_SUCCESS; },
        [](DialogRun& run) {
            const HWND dialog = mainWindow(run);
            EXPECT_EQ(controlText(dialog, IDC_INSTRUCTIONS),
                      "You have successfully updated the firmware.");
            EXPECT_TRUE(controlVisible(dialog, IDC_CLOSE));
            EXPECT_TRUE(controlEnabled(dialog, IDC_CLOSE));
            EXPECT_FALSE(controlVisible(dialog, IDC_START));
            expectScreenshot(dialog, "success");
            // Enter presses the default button, Close.
            pressKey(dialog, VK_RETURN);
        });
    const RunResult result = runDialog({"/SIMULATE", "/INSTANT"}, script);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.verdict.find("headset matches its image, dongle matches its image"),
              std::string::npos)
        << result.verdict;
    EXPECT_NE(result.verdict.find("both paired"), std::string::npos) << result.verdict;
}

TEST(DialogGui, SixFailuresEndInTheCustomerCareTextWithTheTroubleshootingLink) {
    DialogScript script;
    script.then(
        "the chooser", [](DialogRun&) { return chooser() != nullptr; },
        [](DialogRun&) { click(chooser(), IDC_REGULAR_HEADSET); });
    // Every attempt fails; after each the simulated person replugs the headset, and the update
    // starts again by itself.
    script.then("Start", readyToStart, [](DialogRun& run) { click(mainWindow(run), IDC_START); });
    for (int failure = 1; failure <= 5; ++failure) {
        script.then(
            "failure " + std::to_string(failure) + " asks for a replug",
            [failure](DialogRun& run) {
                return run.controller.state() == DFU_STATE_FAILED &&
                       run.controller.failedRetries() == static_cast<std::uint32_t>(failure);
            },
            [](DialogRun& run) {
                const HWND dialog = mainWindow(run);
                EXPECT_EQ(controlText(dialog, IDC_INSTRUCTIONS),
                          "An error occurred. Please unplug and replug your headset and USB "
                          "receiver and retry.");
                EXPECT_FALSE(controlVisible(dialog, IDC_START));
            });
    }
    script.then(
        "the customer-care text",
        [](DialogRun& run) {
            return run.controller.state() == DFU_STATE_FAILED &&
                   run.controller.failedRetries() > 5 &&
                   controlVisible(mainWindow(run), IDC_STATUS_LINK);
        },
        [](DialogRun& run) {
            const HWND dialog = mainWindow(run);
            EXPECT_EQ(controlText(dialog, IDC_INSTRUCTIONS),
                      "An error occurred. Please contact Customer Care for further assistance at "
                      "https://support.halvorix.com.");
            LITEM item{};
            item.mask = LIF_ITEMINDEX | LIF_URL;
            item.iLink = 0;
            ASSERT_TRUE(SendDlgItemMessageW(dialog, IDC_STATUS_LINK, LM_GETITEM, 0,
                                            reinterpret_cast<LPARAM>(&item)));
            EXPECT_EQ(utf16ToUtf8(reinterpret_cast<const char16_t*>(item.szUrl)),
                      kTroubleshootingAddress);
            expectScreenshot(dialog, "failure");
            // A click on the link's text, at its start.
            const HWND link = GetDlgItem(dialog, IDC_STATUS_LINK);
            SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 6));
            SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(4, 6));
        });
    script.then(
        "the link opened the article without elevation",
        [](DialogRun& run) { return !dynamic_cast<SimHostServices&>(run.host).launches.empty(); },
        [](DialogRun& run) {
            const auto& launch = dynamic_cast<SimHostServices&>(run.host).launches.front();
            EXPECT_EQ(launch.file, kTroubleshootingAddress);
            EXPECT_EQ(launch.operation, "open");
            EXPECT_EQ(launch.show, 1);
            // Closing is honoured now. Close is hidden and disabled after a failure, so Enter
            // has no button to press; Escape closes.
            pressKey(mainWindow(run), VK_ESCAPE);
        });
    const RunResult result =
        runDialog({"/SIMULATE=" ZELTOR_SCENARIO_DIR "/six-failures.json", "/INSTANT"}, script);
    EXPECT_EQ(result.exitCode, 1);
}

// The system's notice for an interface of the dongle, as the device manager sends it.
void sendInterfaceNotice(HWND dialog, WPARAM eventType, const std::string& devicePath) {
    const std::u16string path = utf8ToUtf16(devicePath);
    std::vector<std::uint8_t> bytes(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) +
                                    path.size() * sizeof(char16_t));
    auto* notice = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
    notice->dbcc_size = static_cast<DWORD>(bytes.size());
    notice->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    std::copy(path.begin(), path.end(), reinterpret_cast<char16_t*>(notice->dbcc_name));
    SendMessageW(dialog, WM_DEVICECHANGE, eventType, reinterpret_cast<LPARAM>(notice));
}

TEST(DialogGui, DeviceRemovalIsHandledAtOnceAndArrivalInItsTurn) {
    DialogScript script;
    std::string dongle;
    script.then(
        "the chooser", [](DialogRun&) { return chooser() != nullptr; },
        [](DialogRun&) { click(chooser(), IDC_REGULAR_HEADSET); });
    script.then("the dialog offers Start", readyToStart, [&dongle](DialogRun& run) {
        const cDeviceUpdater& channel = run.controller.channel(DeviceRole::ZeltorDongle);
        ASSERT_TRUE(channel.IsOpen());
        dongle = channel.DevicePath();
        // The removal closes the channel before the message returns ...
        sendInterfaceNotice(mainWindow(run), DBT_DEVICEREMOVECOMPLETE, dongle);
        EXPECT_FALSE(channel.IsOpen());
        // ... the arrival is posted, and handled after what was posted before it.
        sendInterfaceNotice(mainWindow(run), DBT_DEVICEARRIVAL, dongle);
        EXPECT_FALSE(channel.IsOpen());
    });
    script.then(
        "the dongle's channel is open again",
        [](DialogRun& run) { return run.controller.channel(DeviceRole::ZeltorDongle).IsOpen(); },
        [&dongle](DialogRun& run) {
            EXPECT_EQ(run.controller.channel(DeviceRole::ZeltorDongle).DevicePath(), dongle);
            pressKey(mainWindow(run), VK_ESCAPE);
        });
    EXPECT_EQ(runDialog({"/SIMULATE", "/INSTANT"}, script).exitCode, 130);
}

// Without /SIMULATE the dialog looks for the machine's own devices, and this machine has none of
// ours: it asks for them, registered for their arrival on its own window, and can be closed.
TEST(DialogGui, OnTheMachinesDevicesTheDialogWaitsForThemAndCloses) {
    DialogScript script;
    script.then(
        "the chooser", [](DialogRun&) { return chooser() != nullptr; },
        [](DialogRun&) { pressKey(chooser(), VK_ESCAPE); });
    script.then(
        "the dialog waits for the devices",
        [](DialogRun& run) {
            return run.controller.state() == DFU_STATE_WAIT_DEVICES &&
                   IsWindowVisible(mainWindow(run));
        },
        [](DialogRun& run) {
            EXPECT_EQ(controlText(mainWindow(run), IDC_INSTRUCTIONS),
                      "Please connect your Halvorix Zeltor Headset USB data cable and receiver to "
                      "continue.");
            EXPECT_FALSE(controlVisible(mainWindow(run), IDC_START));
            PostMessageW(mainWindow(run), WM_CLOSE, 0, 0);
        });
    EXPECT_EQ(runDialog({}, script).exitCode, 130);
}

// What reaches the main dialog's window procedure, in order, while a test watches it.
class WindowWatch {
public:
    void start(HWND window) {
        watched_ = this;
        window_ = window;
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&watch)));
    }
    void stop() {
        if (window_ != nullptr) {
            SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
            window_ = nullptr;
        }
        watched_ = nullptr;
    }
    ~WindowWatch() { stop(); }

    void note(std::string what) { seen.push_back(std::move(what)); }
    // Called with each message before the dialog handles it; the message's own line, if any.
    std::function<std::string(UINT message, WPARAM wParam)> describe;
    // Called before the dialog handles each message, and after (`done` true).
    std::function<void(UINT message, WPARAM wParam, bool done)> around;
    std::vector<std::string> seen;

private:
    static LRESULT CALLBACK watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        WindowWatch& self = *watched_;
        if (self.describe) {
            if (std::string line = self.describe(message, wParam); !line.empty()) {
                self.note(std::move(line));
            }
        }
        if (self.around) {
            self.around(message, wParam, false);
        }
        const LRESULT result = CallWindowProcW(self.previous_, window, message, wParam, lParam);
        if (self.around) {
            self.around(message, wParam, true);
        }
        return result;
    }

    static inline WindowWatch* watched_ = nullptr;
    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
};

// Sends the system's notice that devices changed from another thread, as the system does: it
// waits among the thread's sent messages until the dialog's thread takes it.
void sendDeviceNoticeFromAnotherThread(HWND dialog) {
    const HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID window) -> DWORD {
            SendNotifyMessageW(static_cast<HWND>(window), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
            return 0;
        },
        dialog, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

// A timer of no meaning to the controller, whose tick it ignores.
constexpr std::uint32_t kProbeTimer = 0x7E57;

TEST(DialogGui, MinimisedTheDialogPaintsItsIconAndABlockingWaitPaintsButHandlesNothingElse) {
    DialogScript script;
    WindowWatch watch;
    DialogRun* current = nullptr;
    bool inPauseTick = false;
    bool pauseTickSeen = false;
    watch.describe = [&inPauseTick](UINT message, WPARAM wParam) -> std::string {
        const std::string during = inPauseTick ? " during the pause" : "";
        switch (message) {
            case WM_PAINT:
                return "paint" + during;
            case WM_ICONERASEBKGND:
                return "icon background erased" + during;
            case WM_DEVICECHANGE:
                return "device change taken in" + during;
            case DeferredDeviceChanges::kMessage:
                return "device change handled" + during;
            case WM_TIMER:
                return wParam == kProbeTimer ? "probe timer tick" + during : "";
            default:
                return "";
        }
    };
    script.then(
        "the chooser", [](DialogRun&) { return chooser() != nullptr; },
        [](DialogRun&) { click(chooser(), IDC_REGULAR_HEADSET); });
    script.then("the dialog offers Start", readyToStart, [&](DialogRun& run) {
        current = &run;
        const HWND dialog = mainWindow(run);
        watch.start(dialog);
        ShowWindow(dialog, SW_MINIMIZE);
        ASSERT_TRUE(IsIconic(dialog));
        // A minimised window shows no client area, under Wine as on Windows since the taskbar,
        // and is not asked to paint it; the paint message is sent here as a framework would.
        watch.seen.clear();
        SendMessageW(dialog, WM_PAINT, 0, 0);
        // Minimised, the dialog paints its icon on a background erased as an icon's ...
        EXPECT_EQ(watch.seen, (std::vector<std::string>{"paint", "icon background erased"}));
        const auto bigIcon = reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0));
        EXPECT_NE(bigIcon, nullptr);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(dialog, WM_QUERYDRAGICON, 0, 0)), bigIcon);
        // ... and shown again, it paints as a dialog.
        ShowWindow(dialog, SW_RESTORE);
        ASSERT_FALSE(IsIconic(dialog));
        watch.seen.clear();
        SendMessageW(dialog, WM_PAINT, 0, 0);
        EXPECT_EQ(watch.seen, std::vector<std::string>{"paint"});
        watch.seen.clear();
        click(dialog, IDC_START);
    });
    // The tick whose packet is the first of the dongle plan's 4-second pauses: just before it, a
    // repaint is asked for, a state change and a device event are posted, another thread sends a
    // device notice, and a timer is set to tick a millisecond later. Only the paint may be handled
    // before the pause has ended; the notice is taken in but handled after it.
    watch.around = [&](UINT message, WPARAM wParam, bool done) {
        if (message != WM_TIMER || wParam != DFU_TIMER_STEP || pauseTickSeen) {
            return;
        }
        if (done) {
            if (inPauseTick) {
                inPauseTick = false;
                pauseTickSeen = true;
                watch.note("pause tick ended");
            }
            return;
        }
        DialogRun* run = current;
        const PacketQueue& queue = run->controller.dongleQueue();
        if (run->controller.state() != DFU_STATE_UPDATE_DONGLE || queue.empty() ||
            queue.front().m_PacketType != PacketPause || queue.front().m_DelayMs != 4000) {
            return;
        }
        const HWND dialog = mainWindow(*run);
        InvalidateRect(dialog, nullptr, TRUE);
        run->dialog.postSwitchState(DFU_STATE_UPDATE_DONGLE,
                                    [&watch] { watch.note("posted state change"); });
        run->dialog.postDeviceEvent([&watch] { watch.note("posted device event"); });
        sendDeviceNoticeFromAnotherThread(dialog);
        run->dialog.setTimer(kProbeTimer, 1);
        inPauseTick = true;
        watch.note("pause tick began");
    };
    script.then(
        "the pause has ended and what waited for it has been handled",
        [&](DialogRun&) {
            return pauseTickSeen &&
                   std::count(watch.seen.begin(), watch.seen.end(), "probe timer tick") == 1;
        },
        [&](DialogRun& run) {
            const std::vector<std::string> expected = {
                "pause tick began",
                "paint during the pause",
                // The system's notice is taken in as it comes, lest the system give up on it,
                // and kept for after the pause.
                "device change taken in during the pause",
                "pause tick ended",
                // Then what was posted, in its order: the notice came after the two posts.
                "posted state change",
                "posted device event",
                "device change handled",
                "probe timer tick",
            };
            std::vector<std::string> fromPause(
                std::find(watch.seen.begin(), watch.seen.end(), "pause tick began"),
                watch.seen.end());
            ASSERT_GE(fromPause.size(), 2u);
            // Repaints the handled messages ask for are no part of the story.
            fromPause.erase(std::remove(fromPause.begin() + 2, fromPause.end(), "paint"),
                            fromPause.end());
            EXPECT_EQ(fromPause, expected);
            watch.stop();
            run.dialog.endDialog(IDABORT);
        });
    runDialog({"/SIMULATE", "/INSTANT"}, script);
    watch.stop();
}

// Every way of leaving the chooser, and the picture the main dialog shows afterwards.
struct ChooserCase {
    const char* name;
    const char* extraSwitch;  // nullptr for none
    bool escape;              // Escape instead of a picture
    int picture;              // the control clicked
    bool shroud;              // the type afterwards
    int iconWidth, iconHeight;
};

class ChooserChoice : public testing::TestWithParam<ChooserCase> {};

TEST_P(ChooserChoice, SetsTheTypeAndThePicture) {
    const ChooserCase& c = GetParam();
    DialogScript script;
    script.then(
        "the chooser", [](DialogRun&) { return chooser() != nullptr; },
        [&c](DialogRun&) {
            if (c.escape) {
                pressKey(chooser(), VK_ESCAPE);
            } else {
                click(chooser(), c.picture);
            }
        });
    script.then("the dialog offers Start", readyToStart, [&c](DialogRun& run) {
        EXPECT_EQ(g_RunOptions.m_Shroud, c.shroud);
        const SIZE picture = iconSize(shownPicture(mainWindow(run)));
        EXPECT_EQ(picture.cx, c.iconWidth);
        EXPECT_EQ(picture.cy, c.iconHeight);
        // Ready is a state that may close: the close box is honoured.
        PostMessageW(mainWindow(run), WM_CLOSE, 0, 0);
    });
    std::vector<std::string> arguments = {"/SIMULATE", "/INSTANT"};
    if (c.extraSwitch != nullptr) {
        arguments.push_back(c.extraSwitch);
    }
    const RunResult result = runDialog(arguments, script);
    EXPECT_EQ(result.exitCode, 130);
}

INSTANTIATE_TEST_SUITE_P(
    DialogGui, ChooserChoice,
    testing::Values(ChooserCase{"regular", nullptr, false, IDC_REGULAR_HEADSET, false, 116, 156},
                    ChooserCase{"shroud", nullptr, false, IDC_SHROUD_HEADSET, true, 119, 160},
                    ChooserCase{"escape", nullptr, true, 0, false, 116, 156},
                    ChooserCase{"regular_with_switch", "/SHROUD", false, IDC_REGULAR_HEADSET, true,
                                119, 160},
                    ChooserCase{"escape_with_switch", "/SHROUD", true, 0, true, 119, 160}),
    [](const testing::TestParamInfo<ChooserCase>& info) { return info.param.name; });

// The thread's language chooses the texts of both dialogs.
struct LanguageCase {
    const char* name;
    LANGID language;
    const char* title;
    const char* chooserText;
    const char* heading;
};

class DialogLanguage : public testing::TestWithParam<LanguageCase> {};

TEST_P(DialogLanguage, ShowsItsTexts) {
    const LanguageCase& c = GetParam();
    const LCID before = GetThreadLocale();
    SetThreadLocale(MAKELCID(c.language, SORT_DEFAULT));
    DialogScript script;
    script.then(
        "the chooser", [](DialogRun&) { return chooser() != nullptr; },
        [&c](DialogRun&) {
            EXPECT_EQ(windowText(chooser()), c.title);
            EXPECT_EQ(controlText(chooser(), IDC_CHOOSE_DESCRIPTION), c.chooserText);
            pressKey(chooser(), VK_ESCAPE);
        });
    script.then("the dialog offers Start", readyToStart, [&c](DialogRun& run) {
        EXPECT_EQ(windowText(mainWindow(run)), c.title);
        EXPECT_EQ(controlText(mainWindow(run), IDC_HEADING), c.heading);
        pressKey(mainWindow(run), VK_ESCAPE);
    });
    runDialog({"/SIMULATE", "/INSTANT"}, script);
    SetThreadLocale(before);
}

INSTANTIATE_TEST_SUITE_P(
    DialogGui, DialogLanguage,
    testing::Values(
        LanguageCase{"German", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN),
                     "Halvorix Zeltor Wireless Update-Tool 112.2.212",
                     "Bitte wählen Sie den Typ Ihres Zeltor Wireless aus.",
                     "Diese Anwendung installiert ein Firmware-Update (112.2.212) auf Ihrem "
                     "Zeltor Wireless."},
        LanguageCase{"Japanese", MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN),
                     "Tesmoray Zeltor Wireless アップデートツール 112.2.212",
                     "Zeltor Wirelessの種類を選択してください。",
                     "このアプリケーションは、Zeltor Wirelessにファームウェアアップデート（112.2."
                     "212）を適用します。"}),
    [](const testing::TestParamInfo<LanguageCase>& info) { return info.param.name; });

}  // namespace
}  // namespace zeltor
