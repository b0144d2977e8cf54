#include <windows.h>

#include <vector>

#include "platform/console/console_application.h"
#include "platform/win32/command_line_win32.h"
#include "platform/win32/host_services_win32.h"
#include "program/real_console_win32.h"
#include "program/simulated_console.h"

int wmain() {
    const std::vector<std::string> arguments = zeltor::splitArgumentPart(GetCommandLineW());
    std::vector<const char*> pointers;
    for (const auto& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
    zeltor::Win32HostServices host;
    const auto simulated = [&host](const zeltor::FrontEndOptions& frontEnd) {
        return zeltor::runSimulatedConsole(frontEnd, host);
    };
    const auto real = [&host](const zeltor::FrontEndOptions& frontEnd) {
        return zeltor::runRealConsole(frontEnd, host);
    };
    return zeltor::runConsoleApplication(static_cast<std::uint32_t>(pointers.size()),
                                         pointers.empty() ? nullptr : pointers.data(), simulated,
                                         real);
}
