// The wireless chips in application mode: version answers, the commands that make a device
// re-enumerate, and pairing.
#include <gtest/gtest.h>

#include "protocol/avnera_commands.h"
#include "protocol/avnera_plan.h"
#include "sim_bench.h"

namespace zeltor::test {
namespace {

using std::chrono::milliseconds;
using namespace std::chrono_literals;

std::string textAt(const ByteVector& report, std::size_t from, std::size_t to) {
    return std::string(report.begin() + from, report.begin() + to);
}

TEST(ApplicationModeTest, VersionAnswerCarriesTheConfiguredTextFromByteNine) {
    SimBench bench(R"({"dongle": {"version": "T1.23.45"}, "headset": {"version": "T1.02.07"}})");
    const std::pair<DeviceRole, const char*> chips[] = {{DeviceRole::ZeltorDongle, "T1.23.45"},
                                                        {DeviceRole::ZeltorHeadset, "T1.02.07"}};
    for (const auto& [role, version] : chips) {
        SCOPED_TRACE(version);
        auto chip = bench.open(role);
        ASSERT_TRUE(chip->SetFeature(avneraVersionRequest()));
        bench.runFor(500ms);
        ByteVector answer{0xFF};
        ASSERT_TRUE(chip->GetFeature(0xFF, answer));
        ASSERT_EQ(answer.size(), 263u);
        EXPECT_EQ(textAt(answer, 9, 17), version);
        EXPECT_EQ(answer[9], 'T');
        EXPECT_EQ(answer[11], '.');
    }
    EXPECT_TRUE(bench.dongle().errors().empty());
    EXPECT_TRUE(bench.headset().errors().empty());
}

TEST(ApplicationModeTest, TheVersionAnswerIsReadyOnlyAWhileAfterTheRequest) {
    struct Case {
        milliseconds waited;
        std::string text;  // bytes 9 to 16 of the answer
        bool early;
    };
    const Case cases[] = {
        {0ms, std::string(8, '\0'), true},
        {374ms, std::string(8, '\0'), true},
        {375ms, "T1.23.45", false},
        {500ms, "T1.23.45", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.waited.count());
        SimBench bench(R"({"dongle": {"version": "T1.23.45"}})");
        auto dongle = bench.open(DeviceRole::ZeltorDongle);
        ASSERT_TRUE(dongle->SetFeature(
            {0xFF, 0x0A, 0x00, 0xFD, 0x04, 0x07, 0x00, 0x05, 0x03, 0x05, 0x00, 0x00}));
        bench.runFor(c.waited);
        ByteVector answer{0xFF};
        ASSERT_TRUE(dongle->GetFeature(0xFF, answer));
        EXPECT_EQ(textAt(answer, 9, 17), c.text);
        EXPECT_EQ(mentions(bench.dongle().errors(), "feature read "), c.early);
    }
}

struct RestartCase {
    const char* story;
    const char* scenario;
    DeviceRole channel;
    ByteVector command;
    std::vector<DeviceRole> leaving;
    std::vector<DeviceRole> returning;
    milliseconds delay;
    SimDeviceMode mode;
    bool accepted;  // a bootloader leaves the bus before the host's transfer of the reset ends
};

TEST(ApplicationModeTest, CommandsMakeTheDeviceLeaveAndComeBackAfterItsDelay) {
    const RestartCase cases[] = {
        {"headset enters its bootloader",
         R"({"headset": {"bootloaderDelayMs": 1200}})",
         DeviceRole::ZeltorHeadset,
         avneraBootloaderEntryCommand(),
         {DeviceRole::ZeltorHeadset, DeviceRole::ZeltorHeadsetMCU},
         {DeviceRole::AvneraHeadsetBootloader},
         1200ms,
         SimDeviceMode::Bootloader,
         true},
        {"dongle enters its bootloader",
         "{}",
         DeviceRole::ZeltorDongle,
         avneraBootloaderEntryCommand(),
         {DeviceRole::ZeltorDongle},
         {DeviceRole::AvneraDongleBootloader},
         1500ms,
         SimDeviceMode::Bootloader,
         true},
        {"headset reset in application mode",
         R"({"headset": {"resetDelayMs": 800}})",
         DeviceRole::ZeltorHeadset,
         avneraResetRequest(),
         {DeviceRole::ZeltorHeadset, DeviceRole::ZeltorHeadsetMCU},
         {DeviceRole::ZeltorHeadset, DeviceRole::ZeltorHeadsetMCU},
         800ms,
         SimDeviceMode::Application,
         true},
        {"dongle bootloader reset",
         R"({"dongle": {"mode": "bootloader", "resetDelayMs": 900}})",
         DeviceRole::AvneraDongleBootloader,
         avneraResetRequest(),
         {DeviceRole::AvneraDongleBootloader},
         {DeviceRole::ZeltorDongle},
         900ms,
         SimDeviceMode::Application,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story);
        SimBench bench(c.scenario);
        std::vector<std::string> leaving;
        for (const DeviceRole role : c.leaving) {
            leaving.push_back(bench.pathOf(role));
        }
        auto channel = bench.open(c.channel);
        const auto sent = bench.now();
        EXPECT_EQ(channel->SetFeature(c.command), c.accepted);
        bench.runFor(c.delay - 1ms);
        for (const std::string& path : leaving) {
            EXPECT_EQ(bench.changes.lastRemoval(path), sent) << path;
        }
        for (const DeviceRole role : c.returning) {
            EXPECT_EQ(bench.pathOf(role), "") << "back too early";
        }
        bench.runFor(1ms);
        for (const DeviceRole role : c.returning) {
            const std::string path = bench.pathOf(role);
            ASSERT_NE(path, "");
            EXPECT_EQ(bench.changes.lastArrival(path), sent + c.delay);
        }
        EXPECT_EQ(channel->SetFeature(avneraVersionRequest()), false) << "the old handle died";
        SimDevice& device =
            c.channel == DeviceRole::ZeltorHeadset ? bench.headset() : bench.dongle();
        EXPECT_EQ(device.mode(), c.mode);
        EXPECT_TRUE(device.errors().empty());
    }
}

TEST(ApplicationModeTest, PairingStoresTheSameIdInBothDevices) {
    SimBench bench;
    ASSERT_NE(bench.dongle().pairingId(), bench.headset().pairingId());
    const std::uint32_t id = 0xA1B2C3D4;
    auto dongle = bench.open(DeviceRole::ZeltorDongle);
    auto headset = bench.open(DeviceRole::ZeltorHeadset);
    EXPECT_TRUE(dongle->SetFeature(avneraPairingIdReport(id, true)));
    EXPECT_TRUE(dongle->SetFeature(avneraPairingConfirmReport()));
    EXPECT_TRUE(headset->SetFeature(avneraPairingIdReport(id, false)));
    EXPECT_TRUE(headset->SetFeature(avneraPairingConfirmReport()));
    EXPECT_EQ(bench.dongle().pairingId(), id);
    EXPECT_EQ(bench.headset().pairingId(), id);
    EXPECT_TRUE(bench.dongle().errors().empty());
    EXPECT_TRUE(bench.headset().errors().empty());
}

struct MisuseCase {
    const char* story;
    std::vector<ByteVector> reports;
    bool lastAccepted;
    const char* error;
};

TEST(ApplicationModeTest, SenselessReportsAreRecordedAndChangeNothing) {
    const MisuseCase cases[] = {
        {"the headset's selector sent to the dongle",
         {avneraPairingIdReport(0x12345678, false), avneraPairingConfirmReport()},
         true,
         "pairing id for selector 0x0F ignored"},
        {"store without a pairing id",
         {avneraPairingConfirmReport()},
         true,
         "without a pairing id"},
        {"unknown command", {{0xFF, 0x02, 0x00, 0x0B}}, true, "unknown command ff 02 00 0b"},
        {"report id the chip does not have", {{0xE4, 0x00, 0x00}}, false, "unknown id"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story);
        SimBench bench;
        const std::uint32_t before = bench.dongle().pairingId();
        auto dongle = bench.open(DeviceRole::ZeltorDongle);
        bool accepted = false;
        for (const ByteVector& report : c.reports) {
            accepted = dongle->SetFeature(report);
        }
        EXPECT_EQ(accepted, c.lastAccepted);
        EXPECT_TRUE(mentions(bench.dongle().errors(), c.error));
        EXPECT_EQ(bench.dongle().pairingId(), before);
        if (!c.lastAccepted) {
            EXPECT_TRUE(bench.trace.contains(
                "HidD_SetFeature returned 87 (The parameter is incorrect.)\n"));
        }
    }
}

}  // namespace
}  // namespace zeltor::test
