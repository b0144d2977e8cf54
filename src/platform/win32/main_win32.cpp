#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/front_end_options.h"
#include "app/instance_lock.h"
#include "app/run_options.h"
#include "platform/console/console_application.h"
#include "platform/win32/command_line_win32.h"
#include "platform/win32/common_controls_win32.h"
#include "platform/win32/host_services_win32.h"
#include "platform/win32/instance_window_win32.h"
#include "program/dialog_program_win32.h"
#include "program/real_console_win32.h"
#include "program/simulated_console.h"

namespace {

// "/CONSOLE": the terminal front end, on the standard streams the program was given, or on the
// console of whoever started it (a program of the window kind has none of its own).
int runInConsole(std::uint32_t count, const char* const* arguments) {
    if (GetStdHandle(STD_OUTPUT_HANDLE) == nullptr && AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
        std::freopen("CONIN$", "r", stdin);
    }
    zeltor::Win32HostServices host;
    const auto simulated = [&host](const zeltor::FrontEndOptions& frontEnd) {
        return zeltor::runSimulatedConsole(frontEnd, host);
    };
    const auto real = [&host](const zeltor::FrontEndOptions& frontEnd) {
        return zeltor::runRealConsole(frontEnd, host);
    };
    return zeltor::runConsoleApplication(count, arguments, simulated, real);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    zeltor::initCommonControls();

    const std::vector<std::string> arguments = zeltor::splitArgumentPart(GetCommandLineW());
    std::vector<const char*> pointers;
    for (const auto& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
    const auto count = static_cast<std::uint32_t>(pointers.size());
    const char* const* vector = pointers.empty() ? nullptr : pointers.data();
    zeltor::parseCommandLine(count, vector, &zeltor::g_RunOptions);
    const zeltor::FrontEndOptions frontEnd = zeltor::parseFrontEndOptions(count, vector);
    if (frontEnd.console) {
        return runInConsole(count, vector);
    }
    std::string why;
    const auto lock = zeltor::acquireInstanceLock(why);
    if (!lock) {
        zeltor::bringRunningInstanceToFront();
        std::fprintf(stderr, "BrennicFirmwareUpdate: cannot start: %s\n", why.c_str());
        return zeltor::kExitCannotStart;
    }
    zeltor::Win32HostServices host;
    return zeltor::runDialogProgram(frontEnd, host);
}
