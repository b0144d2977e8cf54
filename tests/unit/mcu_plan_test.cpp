#include "protocol/mcu_plan.h"

#include <gtest/gtest.h>

#include "firmware/resource_images.h"
#include "support/log_capture.h"

namespace zeltor {
namespace {

const ByteVector kDataAnswer{0x06, 0xBB, 0x03, 0x03};

TEST(MCUPlanTest, EightByteImageGivesFivePackets) {
    const ByteVector image{1, 2, 3, 4, 5, 6, 7, 8};
    PacketQueue plan;
    ASSERT_TRUE(BuildMCUPlan(image, plan));
    const PacketQueue expected = {
        DfuPacket(PacketWriteVerify, {0x06, 0xBB, 0x03, 0x02}, {0x06, 0xBB, 0x03, 0x02, 0x00}),
        DfuPacket(PacketWriteVerify,
                  {0x06, 0xBB, 0x03, 0x03, 0x00, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0xC1 + 36},
                  kDataAnswer),
        DfuPacket(PacketWriteVerify, {0x06, 0xBB, 0x03, 0x04}, {0x06, 0xBB, 0x03, 0x04, 36}),
        DfuPacket(PacketWriteVerify, {0x06, 0xBB, 0x03, 0x05}, {0x06, 0xBB, 0x03, 0x05, 0x00}),
        DfuPacket(PacketWrite, {0x06, 0x88, 0x02}),
    };
    EXPECT_EQ(plan, expected);
}

struct ChecksumCase {
    std::uint8_t fill;
    std::uint8_t addressHigh, addressLow;
    std::uint8_t checksum;
};

TEST(MCUPlanTest, BlockChecksumCoversAddressAndData) {
    const ChecksumCase cases[] = {
        {0x00, 0x00, 0x00, 0xC1},
        {0xFF, 0x00, 0x00, 0xB9},
        {0x00, 0x1B, 0xF8, static_cast<std::uint8_t>(0xC1 + 0x1B + 0xF8)},
    };
    for (const auto& c : cases) {
        const ByteVector block(8, c.fill);
        DfuPacket packet;
        MakeMCUDataPacket(block.data(), c.addressHigh, c.addressLow, packet);
        ASSERT_EQ(packet.m_Request.size(), 15u);
        EXPECT_EQ(packet.m_Request[4], c.addressHigh);
        EXPECT_EQ(packet.m_Request[5], c.addressLow);
        EXPECT_EQ(packet.m_Request[14], c.checksum);
        EXPECT_EQ(packet.m_Response, kDataAnswer);
        EXPECT_EQ(packet.m_PacketType, PacketWriteVerify);
    }
}

TEST(MCUPlanTest, BlockAddressesRunHighByteFirst) {
    ByteVector image(0x1C00);
    PacketQueue plan;
    ASSERT_TRUE(BuildMCUPlan(image, plan));
    EXPECT_EQ(plan[1].m_Request[4], 0x00);
    EXPECT_EQ(plan[2].m_Request[5], 0x08);
    const auto& last = plan[plan.size() - 4];  // block at 0x1BF8
    EXPECT_EQ(last.m_Request[4], 0x1B);
    EXPECT_EQ(last.m_Request[5], 0xF8);
}

TEST(MCUPlanTest, EachPlanCarriesTheChecksumOfItsOwnImage) {
    PacketQueue first, second;
    ASSERT_TRUE(BuildMCUPlan(ByteVector(8, 0x01), first));
    ASSERT_TRUE(BuildMCUPlan(ByteVector(16, 0x80), second));
    EXPECT_EQ(first[first.size() - 3].m_Response.back(), 0x08);
    EXPECT_EQ(second[second.size() - 3].m_Response.back(), 0x00);
}

TEST(MCUPlanTest, EmbeddedImagePlansTo900Packets) {
    PacketQueue plan{DfuPacket(PacketPause, 5)};
    ASSERT_TRUE(BuildMCUPlanFromResource(ownModule(), plan, 134));
    EXPECT_EQ(plan.size(), 900u);
    ByteVector image;
    ASSERT_TRUE(loadResourceBytes(134, image));
    unsigned sum = 0;
    for (std::size_t i = 0; i < image.size(); ++i) {
        EXPECT_EQ(plan[1 + i / 8].m_Request[6 + i % 8], image[i]);
        sum += image[i];
    }
    EXPECT_EQ(plan[897].m_Response,
              (ByteVector{0x06, 0xBB, 0x03, 0x04, static_cast<std::uint8_t>(sum)}));
}

TEST(MCUPlanTest, MissingResourceEmptiesThePlan) {
    PacketQueue plan{DfuPacket(PacketPause, 5)};
    EXPECT_FALSE(BuildMCUPlanFromResource(ownModule(), plan, 137));
    EXPECT_TRUE(plan.empty());
}

TEST(MCUPlanTest, ImagesThatCannotBeAddressedAreRefused) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{7}, std::size_t{9},
                                   std::size_t{7170}, kMCUMaxImageSize + 8}) {
        SCOPED_TRACE(size);
        test::TraceCapture capture;
        PacketQueue plan;
        EXPECT_FALSE(BuildMCUPlan(ByteVector(size, 0x11), plan));
        EXPECT_TRUE(plan.empty());
        ASSERT_EQ(capture.messages().size(), 1u);
        EXPECT_EQ(capture.messages()[0],
                  "  MCU image of " + std::to_string(size) +
                      " bytes refused: its size must be a multiple of 8 bytes, at most 65536\n");
    }
    PacketQueue plan;
    EXPECT_TRUE(BuildMCUPlan(ByteVector(kMCUMaxImageSize, 0x11), plan));
    EXPECT_EQ(plan.size(), kMCUMaxImageSize / 8 + 4);
    EXPECT_EQ(plan[plan.size() - 4].m_Request[4], 0xFF);
    EXPECT_EQ(plan[plan.size() - 4].m_Request[5], 0xF8);
}

}  // namespace
}  // namespace zeltor
