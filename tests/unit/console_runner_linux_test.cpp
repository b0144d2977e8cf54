// The terminal front end after a failure, when nobody sits at the terminal: devices that come
// back by themselves get Start offered again, and the front end must not press it for a person.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "app/exit_codes.h"
#include "app/run_options.h"
#include "base/c_random.h"
#include "platform/console/console_application.h"
#include "sim/scenario/scenario_json.h"
#include "sim/scenario/sim_world.h"
#include "sim/sim_hid_backend.h"
#include "sim/sim_host_services.h"
#include "support/log_capture.h"
#include "ui/event_clock.h"
#include "ui/message_loop.h"

namespace zeltor {
namespace {

// Standard input from /dev/null while it lives, so that the front end finds no person to ask
// even when the tests run from a terminal.
class NoTerminalInput {
public:
    NoTerminalInput() : saved_(dup(STDIN_FILENO)) {
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, STDIN_FILENO);
        close(null);
    }
    ~NoTerminalInput() {
        dup2(saved_, STDIN_FILENO);
        close(saved_);
    }
    NoTerminalInput(const NoTerminalInput&) = delete;
    NoTerminalInput& operator=(const NoTerminalInput&) = delete;

private:
    int saved_;
};

TEST(ConsoleRunnerTest, WithoutAPersonAFailureWhoseDevicesCameBackByThemselvesEndsTheRun) {
    // The headset chip takes four minutes to come back from its bootloader entry; the tool gives
    // up waiting after three.
    SimScenario scenario;
    std::string error;
    ASSERT_TRUE(parseScenario(R"({"faults": [{"target": "headset", "prefix": "FF 02 00 0A",
                                   "action": "late-return", "delayMs": 240000}]})",
                              "late.json", scenario, error))
        << error;
    const RunOptions savedOptions = g_RunOptions;
    g_RunOptions = RunOptions();
    g_RunOptions.m_Log = false;
    test::TraceCapture trace;
    EventClock clock(EventClock::Mode::Virtual, {2026, 12, 11, 9, 0, 0});
    MessageLoop loop(clock);
    SimHidBackend bus(clock, loop.poster());
    SimHostServices host(clock);
    CRandom random;
    SimWorld world(bus, scenario);
    ConsoleWorld console{loop, bus, host, random, {}, {}, {}, false};
    // Devices still come and go (the simulated chip's return), as on a real machine.
    console.devicesBySystemMessages = true;

    NoTerminalInput noTerminal;
    testing::internal::CaptureStdout();
    const int code = runConsoleUpdate(console);
    const std::string out = testing::internal::GetCapturedStdout();
    g_RunOptions = savedOptions;

    EXPECT_EQ(code, kExitFailed);
    EXPECT_NE(out.find("The update failed and the devices came back without being unplugged; it "
                       "is not started again without you. Run the tool again to retry."),
              std::string::npos)
        << out;
    EXPECT_TRUE(trace.contains(
        "  The last attempt failed and no device was unplugged since: Start is offered again\n"));
    // The devices' own account: the headset chip was told to enter its bootloader once, and no
    // chip's bootloader ever received a report.
    int entries = 0;
    int bootloaderReports = 0;
    for (const SimBusEvent& event : world.record().events()) {
        if (event.kind != SimBusEvent::Kind::Report) {
            continue;
        }
        const ByteVector entry{0xFF, 0x02, 0x00, 0x0A};
        if (event.role == DeviceRole::ZeltorHeadset && event.bytes.size() >= entry.size() &&
            std::equal(entry.begin(), entry.end(), event.bytes.begin())) {
            ++entries;
        }
        if (event.role == DeviceRole::AvneraHeadsetBootloader ||
            event.role == DeviceRole::AvneraDongleBootloader) {
            ++bootloaderReports;
        }
    }
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(bootloaderReports, 0);
}

}  // namespace
}  // namespace zeltor
