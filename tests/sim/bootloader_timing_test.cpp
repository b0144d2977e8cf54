// The wireless chips' bootloaders take their time: each pause of a plan is needed, and the
// closing reset cannot be checked, since the chip leaves the bus before the transfer ends.
#include <gtest/gtest.h>

#include <algorithm>

#include "literal_plans.h"
#include "protocol/avnera_plan.h"
#include "sim_bench.h"

namespace zeltor::test {
namespace {

using namespace std::chrono_literals;

// Two blocks, so that a commit is followed by more data.
ByteVector twoBlockHeadsetImage() {
    ByteVector image(5000);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 13 + 7);
    }
    image[0] = 0x6A;
    image[1] = 0x42;
    return image;
}

PacketQueue withoutPauses(PacketQueue plan, std::int32_t ms) {
    plan.erase(std::remove_if(plan.begin(), plan.end(),
                              [ms](const DfuPacket& p) {
                                  return p.m_PacketType == PacketPause && p.m_DelayMs == ms;
                              }),
               plan.end());
    return plan;
}

struct DroppedPause {
    const char* story;
    bool dongle;
    PacketQueue plan;
    ByteVector image;
    std::optional<std::size_t> refusedAt;  // the report the busy chip refuses
    const char* error;
};

TEST(BootloaderTimingTest, WithoutAnyOneOfItsPausesAPlanFails) {
    PacketQueue twoBlocks;
    ASSERT_TRUE(buildAvneraPlan(false, twoBlockHeadsetImage(), twoBlocks));
    const auto firstDataOfSecondBlock = static_cast<std::size_t>(
        std::find_if(twoBlocks.begin(), twoBlocks.end(),
                     [](const DfuPacket& p) { return p.m_DelayMs == 1000; }) -
        twoBlocks.begin());
    const DroppedPause cases[] = {
        {"the pause after a data report", false, withoutPauses(literalHeadsetPlan(), 20),
         kLiteralHeadsetImage, 5,
         "report refused while moving a data report into RAM (15 ms to go): ff 0d 00 ff 04 00 "
         "00 08 00 3b b5"},
        {"the pause after a region pass", true, withoutPauses(literalDonglePlan(), 4000),
         kLiteralDongleImage, 7,
         "report refused while erasing a region (3000 ms to go): e4 00 00 00 00 00 01 7b 3a"},
        {"the pause after a commit", false, withoutPauses(twoBlocks, 1000), twoBlockHeadsetImage(),
         firstDataOfSecondBlock,
         "report refused while programming a block (750 ms to go): e4 00 00 00 00 00 01"},
        {"the pause after the last commit", false, withoutPauses(literalHeadsetPlan(), 1000),
         kLiteralHeadsetImage, std::nullopt,
         "reset 2000 ms after the commit of 4 bytes at 0x0, before its programming settled: the "
         "block is lost"},
        {"the pause before the reset", false, withoutPauses(literalHeadsetPlan(), 2000),
         kLiteralHeadsetImage, std::nullopt,
         "reset 1000 ms after the commit of 4 bytes at 0x0, before its programming settled"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story);
        SimBench bench(kBothInBootloader);
        SimDevice& device = c.dongle ? bench.dongle() : bench.headset();
        auto channel = bench.open(c.dongle ? DeviceRole::AvneraDongleBootloader
                                           : DeviceRole::AvneraHeadsetBootloader);
        EXPECT_EQ(sendPlan(*channel, c.plan), c.refusedAt);
        EXPECT_TRUE(mentions(device.errors(), c.error)) << errorsOf(device);
        EXPECT_FALSE(landed(c.image, device));
        if (c.refusedAt) {
            // The refusal is the host's to see, as a failed feature report.
            EXPECT_TRUE(
                bench.trace.contains("HidD_SetFeature returned 31 (A device attached to the system "
                                     "is not functioning.)\n"));
        }
    }
}

TEST(BootloaderTimingTest, TheResetFailsAtTheHostYetTheChipRestarts) {
    struct Case {
        const char* story;
        std::int32_t resetType;
        std::optional<std::size_t> failedAt;
    };
    const Case cases[] = {
        {"sent without a check, as the plans do", PacketSetFeatureNoCheck, std::nullopt},
        {"sent as a checked packet", PacketSetFeature, 13},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story);
        SimBench bench(R"({"headset": {"mode": "bootloader", "resetDelayMs": 1200}})");
        PacketQueue plan = literalHeadsetPlan();
        plan.back().m_PacketType = c.resetType;
        auto channel = bench.open(DeviceRole::AvneraHeadsetBootloader);
        EXPECT_EQ(sendPlan(*channel, plan), c.failedAt);
        EXPECT_TRUE(
            bench.trace.contains("HidD_SetFeature returned 1167 (The device is not connected.)\n"));
        EXPECT_TRUE(landed(kLiteralHeadsetImage, bench.headset()));
        EXPECT_FALSE(bench.headset().onBus());
        bench.runFor(1200ms);
        EXPECT_EQ(bench.headset().mode(), SimDeviceMode::Application);
        EXPECT_NE(bench.pathOf(DeviceRole::ZeltorHeadset), "");
        EXPECT_TRUE(bench.headset().errors().empty()) << errorsOf(bench.headset());
    }
}

TEST(BootloaderTimingTest, ABusyChipRefusesEveryReportUntilItIsDone) {
    SimBench bench(kBothInBootloader);
    const PacketQueue plan = literalDonglePlan();
    auto channel = bench.open(DeviceRole::AvneraDongleBootloader);
    // Up to the region trigger, then reports while the region is being erased.
    for (std::size_t i = 0; i <= 6; ++i) {
        ASSERT_TRUE(channel->SendPacket(plan[i])) << i;
    }
    const ByteVector reset{0xFF, 0x02, 0x00, 0x05};
    bench.runFor(2999ms);
    EXPECT_FALSE(channel->SetFeature(plan[8].m_Request));
    EXPECT_FALSE(channel->SetFeature(reset)) << "not even a reset gets through";
    EXPECT_TRUE(bench.dongle().onBus());
    EXPECT_EQ(bench.dongle().errors().size(), 2u) << errorsOf(bench.dongle());
    bench.runFor(1ms);
    EXPECT_TRUE(channel->SetFeature(plan[8].m_Request));
}

}  // namespace
}  // namespace zeltor::test
