// The verdict of a simulated run: each memory against its image itself, the pairing, and any
// report a device found senseless.
#include <gtest/gtest.h>

#include "literal_plans.h"
#include "sim/simulation_verdict.h"
#include "sim_bench.h"

namespace zeltor::test {
namespace {

using namespace std::chrono_literals;

// Both chips programmed, the MCU too, both paired to 0x12345678, all with reports written out
// from their layouts.
void updateEverything(SimBench& bench) {
    for (const auto& [role, plan] :
         {std::pair{DeviceRole::AvneraHeadsetBootloader, literalHeadsetPlan()},
          std::pair{DeviceRole::AvneraDongleBootloader, literalDonglePlan()}}) {
        ASSERT_EQ(sendPlan(*bench.open(role), plan), std::nullopt);
    }
    bench.runFor(1500ms);
    ASSERT_EQ(sendPlan(*bench.open(DeviceRole::ZeltorHeadsetMCU), literalMcuPlan()), std::nullopt);
    bench.runFor(3000ms);
    const std::pair<DeviceRole, std::uint8_t> chips[] = {{DeviceRole::ZeltorDongle, 0x0E},
                                                         {DeviceRole::ZeltorHeadset, 0x0F}};
    for (const auto& [role, selector] : chips) {
        auto chip = bench.open(role);
        chip->SetFeature({0xFF, 0x0D, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x08, selector, 0x00, 0x00,
                          0x78, 0x56, 0x34, 0x12});
        chip->SetFeature({0xFF, 0x05, 0x00, 0x39});
    }
}

ByteVector withByteChanged(ByteVector image) {
    image.back() ^= 0x01;
    return image;
}

TEST(SimulationVerdictTest, MemoriesAreComparedWithTheImagesThemselves) {
    SimBench bench(R"({"headset": {"mode": "bootloader", "mcu": {"patch": 0}},)"
                   R"( "dongle": {"mode": "bootloader"}})");
    updateEverything(bench);
    const SimExpectedImages images{kLiteralHeadsetImage, kLiteralDongleImage, kLiteralMcuImage};
    struct Case {
        const char* story;
        SimExpectedImages images;
        bool mcuSkipped;
        bool good;
        const char* line;
    };
    const Case cases[] = {
        {"everything in place", images, false, true,
         "Simulation: headset matches its image, dongle matches its image, MCU matches its "
         "image, both paired to 0x12345678."},
        {"the MCU skipped", images, true, true,
         "Simulation: headset matches its image, dongle matches its image, MCU skipped, both "
         "paired to 0x12345678."},
        {"a headset image with another last byte",
         {withByteChanged(kLiteralHeadsetImage), kLiteralDongleImage, kLiteralMcuImage},
         false,
         false,
         "Simulation: headset DIFFERS from its image, dongle matches its image, MCU matches its "
         "image, both paired to 0x12345678."},
        {"an MCU image with another last byte",
         {kLiteralHeadsetImage, kLiteralDongleImage, withByteChanged(kLiteralMcuImage)},
         false,
         false,
         "Simulation: headset matches its image, dongle matches its image, MCU DIFFERS from its "
         "image, both paired to 0x12345678."},
        {"no dongle image to be had",
         {kLiteralHeadsetImage, {}, kLiteralMcuImage},
         false,
         false,
         "Simulation: headset matches its image, dongle DIFFERS from its image, MCU matches its "
         "image, both paired to 0x12345678."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story);
        const SimulationVerdict verdict =
            judgeSimulation(bench.world(), c.images, false, false, c.mcuSkipped);
        EXPECT_EQ(verdict.good, c.good);
        EXPECT_EQ(verdict.line, c.line);
    }
}

TEST(SimulationVerdictTest, ADeviceErrorFailsARunThatOtherwiseLooksGood) {
    SimBench bench(R"({"headset": {"mode": "bootloader", "mcu": {"patch": 0}},)"
                   R"( "dongle": {"mode": "bootloader"}})");
    updateEverything(bench);
    const SimExpectedImages images{kLiteralHeadsetImage, kLiteralDongleImage, kLiteralMcuImage};
    ASSERT_TRUE(judgeSimulation(bench.world(), images, false, false, false).good);

    bench.open(DeviceRole::ZeltorDongle)->SetFeature({0xFF, 0x02, 0x00, 0x0B});
    const SimulationVerdict verdict = judgeSimulation(bench.world(), images, false, false, false);
    EXPECT_FALSE(verdict.good);
    EXPECT_EQ(verdict.line,
              "Simulation: headset matches its image, dongle matches its image, MCU matches its "
              "image, both paired to 0x12345678. 1 DEVICE ERROR: dongle: unknown command ff 02 00 "
              "0b 00 00 00 00 00 00 00 00");
}

TEST(SimulationVerdictTest, AWorldLeftAloneIsNeitherUpdatedNorPaired) {
    SimBench bench;
    const SimulationVerdict verdict = judgeSimulation(
        bench.world(), {kLiteralHeadsetImage, kLiteralDongleImage, kLiteralMcuImage}, false, false,
        true);
    EXPECT_FALSE(verdict.good);
    EXPECT_EQ(verdict.line,
              "Simulation: headset DIFFERS from its image, dongle DIFFERS from its image, MCU "
              "skipped, NOT paired (0x0d0d1001).");
}

}  // namespace
}  // namespace zeltor::test
