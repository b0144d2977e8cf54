// A scenario's world starts with the devices, modes and collections it describes.
#include <gtest/gtest.h>

#include "sim_bench.h"

namespace zeltor::test {
namespace {

using namespace std::chrono_literals;

TEST(SimWorldTest, StartsWithTheDevicesAndModesTheScenarioDescribes) {
    SimBench bench(R"({"headset": {"mode": "bootloader"},)"
                   R"( "dongle": {"plugged": false, "plugAfterMs": 5000}})");
    EXPECT_EQ(bench.bus.enumerateInterfaces(),
              std::vector<std::string>{bench.pathOf(DeviceRole::AvneraHeadsetBootloader)});
    EXPECT_FALSE(bench.dongle().onBus());

    bench.runFor(5000ms);
    const std::string dongle = bench.pathOf(DeviceRole::ZeltorDongle);
    ASSERT_NE(dongle, "");
    EXPECT_EQ(bench.changes.lastArrival(dongle), 5000ms);
}

TEST(SimWorldTest, HeadsetInMcuUpdateModeShowsBothCollections) {
    SimBench bench(R"({"headset": {"mode": "mcu-update"}})");
    EXPECT_NE(bench.pathOf(DeviceRole::ZeltorHeadsetMCU), "");
    EXPECT_NE(bench.pathOf(DeviceRole::ZeltorHeadset), "");
    EXPECT_EQ(bench.headset().mode(), SimDeviceMode::McuUpdate);
    EXPECT_NE(bench.pathOf(DeviceRole::ZeltorHeadsetMCU), bench.pathOf(DeviceRole::ZeltorHeadset));
}

}  // namespace
}  // namespace zeltor::test
