#include "platform/console/console_application.h"
#include "platform/linux/timer_slack_linux.h"
#include "program/simulated_console.h"

int main(int argc, char** argv) {
    zeltor::tightenTimerSlack();
    // The arguments after the program name, as the command line gave them.
    return zeltor::runConsoleApplication(argc > 1 ? static_cast<std::uint32_t>(argc - 1) : 0,
                                         argc > 1 ? argv + 1 : nullptr, zeltor::runSimulatedConsole,
                                         {});
}
