#include "platform/console/console_application.h"
#include "platform/linux/host_services_linux.h"
#include "platform/linux/timer_slack_linux.h"
#include "program/dialog_program_qt.h"
#include "program/real_console_linux.h"
#include "program/simulated_console.h"

int main(int argc, char** argv) {
    zeltor::tightenTimerSlack();
    zeltor::LinuxHostServices host;
    // A desktop session gets the window unless /CONSOLE asks for the terminal.
    const auto inWindow = [](const zeltor::FrontEndOptions& frontEnd) {
        return !frontEnd.console && zeltor::desktopDisplayAvailable();
    };
    const auto simulated = [&](const zeltor::FrontEndOptions& frontEnd) {
        return inWindow(frontEnd) ? zeltor::runQtDialogProgram(argc, argv, frontEnd, host)
                                  : zeltor::runSimulatedConsole(frontEnd, host);
    };
    const auto real = [&](const zeltor::FrontEndOptions& frontEnd) {
        return inWindow(frontEnd) ? zeltor::runQtDialogProgram(argc, argv, frontEnd, host)
                                  : zeltor::runRealConsole(frontEnd, host);
    };
    // The arguments after the program name, as the command line gave them.
    return zeltor::runConsoleApplication(argc > 1 ? static_cast<std::uint32_t>(argc - 1) : 0,
                                         argc > 1 ? argv + 1 : nullptr, simulated, real);
}
