#include "protocol/avnera_plan.h"

#include <gtest/gtest.h>

#include <numeric>

#include "firmware/resource_images.h"
#include "support/image_ids.h"
#include "support/log_capture.h"

namespace zeltor {
namespace {

ByteVector imageOf(std::size_t size, std::uint8_t b0, std::uint8_t b1) {
    ByteVector image(size);
    for (std::size_t i = 0; i < size; ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    image[0] = b0;
    if (size > 1) {
        image[1] = b1;
    }
    return image;
}

std::size_t requestBytes(const PacketQueue& plan) {
    return std::accumulate(
        plan.begin(), plan.end(), std::size_t{0},
        [](std::size_t sum, const DfuPacket& p) { return sum + p.m_Request.size(); });
}

std::vector<const DfuPacket*> ofReportId(const PacketQueue& plan, std::uint8_t id) {
    std::vector<const DfuPacket*> found;
    for (const auto& p : plan) {
        if (!p.m_Request.empty() && p.m_Request[0] == id) {
            found.push_back(&p);
        }
    }
    return found;
}

TEST(AvneraPlanTest, RequestLayouts) {
    EXPECT_EQ(avneraParameterWrite(0xF0E1, 0xA0, 1),
              (ByteVector{0xFF, 0x0A, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x05, 0x00, 0xE1, 0xF0, 0xA0}));
    EXPECT_EQ(avneraParameterWrite(0xC42D + 1, 0x12345678, 4),
              (ByteVector{0xFF, 0x0D, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x08, 0x00, 0x2E, 0xC4, 0x78,
                          0x56, 0x34, 0x12}));
    EXPECT_EQ(avneraRegionTrigger(),
              (ByteVector{0xFF, 0x07, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x05, 0x0C}));
    EXPECT_EQ(avneraCommitTrigger(),
              (ByteVector{0xFF, 0x07, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x02, 0x03}));
    EXPECT_EQ(avneraResetRequest(), (ByteVector{0xFF, 0x02, 0x00, 0x05}));
    const std::uint8_t data[] = {0xAA, 0xBB};
    EXPECT_EQ(avneraDataReport(0x0F00, data, 2),
              (ByteVector{0xE4, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x01, 0xAA, 0xBB}));
}

struct LayoutCase {
    const char* name;
    std::size_t index;  // in the plan of the embedded dongle image
    ByteVector request;
};

// The dongle's parameter block at 0xC42D, written as the plan of its embedded image writes it.
TEST(AvneraPlanTest, DongleParameterWritesOfTheEmbeddedImage) {
    ByteVector image;
    ASSERT_TRUE(loadImageTextResource(test::kRegularDongleImage, image));
    PacketQueue plan;
    ASSERT_TRUE(buildAvneraPlan(true, image, plan));
    const LayoutCase cases[] = {
        {"2-byte setup 0x0550 to 0xF0E1",
         0,
         {0xFF, 0x0B, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x06, 0x00, 0xE1, 0xF0, 0x50, 0x05}},
        {"chip byte 1 to P",
         1,
         {0xFF, 0x0A, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x05, 0x00, 0x2D, 0xC4, 0x01}},
        {"Z = 65536 to P + 20",
         2,
         {0xFF, 0x0D, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x08, 0x00, 0x41, 0xC4, 0x00, 0x00, 0x01,
          0x00}},
        {"M = 131072, T = 3, G = 256 to P + 13",
         3,
         {0xFF, 0x10, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x0B, 0x00, 0x3A, 0xC4, 0x00, 0x00, 0x02, 0x00,
          0x03, 0x00, 0x01}},
        {"second region at 0x10000 to P + 1",
         8,
         {0xFF, 0x0D, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x08, 0x00, 0x2E, 0xC4, 0x00, 0x00, 0x01,
          0x00}},
        {"region length 1 to P + 7",
         9,
         {0xFF, 0x0B, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x06, 0x00, 0x34, 0xC4, 0x01, 0x00}},
        {"first block address 0 to P + 1",
         44,
         {0xFF, 0x0D, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x08, 0x00, 0x2E, 0xC4, 0x00, 0x00, 0x00,
          0x00}},
        {"R = 0xD312 to P + 5",
         45,
         {0xFF, 0x0B, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x06, 0x00, 0x32, 0xC4, 0x12, 0xD3}},
        {"block length 4096 to P + 7",
         46,
         {0xFF, 0x0B, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x06, 0x00, 0x34, 0xC4, 0x00, 0x10}},
        {"0 to P + 10",
         47,
         {0xFF, 0x0B, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x06, 0x00, 0x37, 0xC4, 0x00, 0x00}},
        {"commit trigger", 48, {0xFF, 0x07, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x02, 0x03}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_LT(c.index, plan.size());
        EXPECT_EQ(plan[c.index].m_PacketType, PacketSetFeature);
        EXPECT_EQ(plan[c.index].m_Request, c.request);
    }
}

struct GeometryCase {
    std::uint8_t b0, b1;
    bool dongle;
    AvneraImageGeometry expected;
};

TEST(AvneraPlanTest, GeometryComesFromTheFirstTwoBytes) {
    const GeometryCase cases[] = {
        {0x7B, 0x3A, true, {131072, 256, 65536, 3}},  // the dongle image
        {0x6A, 0x42, false, {65536, 128, 0, 0}},      // the headset image
        {0x0B, 0x3A, true, {131072, 1, 65536, 3}},    // dongle high nibble 0 writes G = 1
        {0xFB, 0x01, true, {131072, 0, 128, 0}},      // G of 65,536 goes out as 0
        {0xEA, 0x10, false, {65536, 128, 0, 1}},      // headset uses bits 4 to 6 only
        {0x00, 0x00, false, {0, 0, 0, 0}},            // nibble 0 gives 0
        {0x01, 0x00, true, {128, 1, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.b0) << " " << int(c.b1));
        const auto g = avneraImageGeometry(ByteVector{c.b0, c.b1}, c.dongle);
        EXPECT_EQ(g.memorySize, c.expected.memorySize);
        EXPECT_EQ(g.sizeG, c.expected.sizeG);
        EXPECT_EQ(g.sizeZ, c.expected.sizeZ);
        EXPECT_EQ(g.fieldT, c.expected.fieldT);
    }
}

TEST(AvneraPlanTest, EmbeddedHeadsetImagePlansTo196Packets) {
    ByteVector image;
    ASSERT_TRUE(loadImageTextResource(test::kRegularHeadsetImage, image));
    test::TraceCapture capture;
    PacketQueue plan;
    ASSERT_TRUE(buildAvneraPlan(false, image, plan));
    EXPECT_EQ(plan.size(), 196u);
    EXPECT_EQ(ofReportId(plan, kAvneraDataReportId).size(), 80u);
    EXPECT_TRUE(
        capture.contains("  Available RAM for download is 13219. DFU file is 20396 bytes\n"));
    const std::vector<std::string> expected = {
        "  Available RAM for download is 13219. DFU file is 20396 bytes\n",
        "  Committing RAM to EEPROM starting at 0x0000\n",
        "  Committing RAM to EEPROM starting at 0x1000\n",
        "  Committing RAM to EEPROM starting at 0x2000\n",
        "  Committing RAM to EEPROM starting at 0x3000\n",
        "  Committing RAM to EEPROM starting at 0x4000\n",
        "  Programming complete, Sending Reset command\n"};
    EXPECT_EQ(capture.messages(), expected);
    // Setup: the 1-byte setup value, C, Z = 0, then M, T and G.
    EXPECT_EQ(plan[0].m_Request, avneraParameterWrite(0xF0E1, 0xA0, 1));
    EXPECT_EQ(plan[1].m_Request, avneraParameterWrite(0xB53A, 2, 1));
    EXPECT_EQ(plan[2].m_Request, avneraParameterWrite(0xB53A + 20, 0, 4));
    EXPECT_EQ(plan[3].m_Request,
              (ByteVector{0xFF, 0x10, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x0B, 0x00, 0x47, 0xB5, 0x00,
                          0x00, 0x01, 0x00, 0x00, 0x80, 0x00}));
    EXPECT_EQ(plan[4].m_Request, avneraDataReport(0, image.data(), 256));
}

TEST(AvneraPlanTest, EmbeddedDongleImagePlansTo630PacketsWithRegionPasses) {
    ByteVector image;
    ASSERT_TRUE(loadImageTextResource(test::kRegularDongleImage, image));
    PacketQueue plan;
    ASSERT_TRUE(buildAvneraPlan(true, image, plan));
    EXPECT_EQ(plan.size(), 630u);
    EXPECT_EQ(requestBytes(plan), 68560u);
    EXPECT_EQ(ofReportId(plan, kAvneraDataReportId).size(), 257u);
    EXPECT_EQ(plan[0].m_Request, avneraParameterWrite(0xF0E1, 0x0550, 2));
    // Two region passes, at 0 and at Z, each closed by a 4000 ms pause.
    for (std::uint32_t pass = 0; pass < 2; ++pass) {
        const std::size_t at = 4 + 4 * pass;
        EXPECT_EQ(plan[at].m_Request, avneraParameterWrite(0xC42D + 1, pass * 65536, 4));
        EXPECT_EQ(plan[at + 1].m_Request, avneraParameterWrite(0xC42D + 7, 1, 2));
        EXPECT_EQ(plan[at + 2].m_Request, avneraRegionTrigger());
        EXPECT_EQ(plan[at + 3], DfuPacket(PacketPause, 4000));
    }
    // The last block holds the 18 bytes past 64 KiB.
    const auto& lastData = *ofReportId(plan, kAvneraDataReportId).back();
    EXPECT_EQ(lastData.m_Request, avneraDataReport(0, image.data() + 65536, 18));
    EXPECT_EQ(plan[plan.size() - 2], DfuPacket(PacketPause, 2000));
    EXPECT_EQ(plan.back(), DfuPacket(PacketSetFeatureNoCheck, avneraResetRequest()));
}

TEST(AvneraPlanTest, EveryPacketHasTheTypeItsRequestNeeds) {
    ByteVector image;
    ASSERT_TRUE(loadImageTextResource(test::kRegularDongleImage, image));
    PacketQueue plan;
    ASSERT_TRUE(buildAvneraPlan(true, image, plan));
    for (std::size_t i = 0; i + 1 < plan.size(); ++i) {
        const auto& p = plan[i];
        EXPECT_TRUE(p.m_Response.empty());
        if (p.m_PacketType == PacketPause) {
            EXPECT_TRUE(p.m_Request.empty());
            EXPECT_TRUE(p.m_DelayMs == 20 || p.m_DelayMs == 1000 || p.m_DelayMs == 4000 ||
                        p.m_DelayMs == 2000);
        } else {
            EXPECT_EQ(p.m_PacketType, PacketSetFeature);
            EXPECT_EQ(p.m_DelayMs, 0);
        }
    }
}

struct BlockCase {
    std::size_t size;
    std::vector<std::uint32_t> blockLengths;
    std::vector<std::size_t> dataReportSizes;
};

// Block commits: the parameter writes of E, R, L and 0, then the commit trigger.
std::vector<std::uint32_t> committedLengths(const PacketQueue& plan) {
    std::vector<std::uint32_t> lengths;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        if (plan[i].m_Request == avneraCommitTrigger()) {
            const auto& length = plan[i - 2].m_Request;
            lengths.push_back(length[11] | (length[12] << 8));
            EXPECT_EQ(plan[i - 1].m_Request.size(), 13u);
            EXPECT_EQ(plan[i - 1].m_Request, avneraParameterWrite(0xB53A + 10, 0, 2));
            EXPECT_EQ(plan[i + 1], DfuPacket(PacketPause, 1000));
        }
    }
    return lengths;
}

TEST(AvneraPlanTest, BlocksAndDataReportsFollowTheImageSize) {
    const BlockCase cases[] = {
        {1, {1}, {1}},
        {4000, {4000}, std::vector<std::size_t>(15, 256)},
        {4096, {4096}, std::vector<std::size_t>(16, 256)},
        {4097, {4096, 1}, std::vector<std::size_t>(16, 256)},
    };
    for (auto c : cases) {
        if (c.size == 4000) {
            c.dataReportSizes.push_back(160);
        }
        if (c.size == 4097) {
            c.dataReportSizes.push_back(1);
        }
        SCOPED_TRACE(c.size);
        PacketQueue plan;
        ASSERT_TRUE(buildAvneraPlan(false, imageOf(c.size, 0x6A, 0x00), plan));
        EXPECT_EQ(committedLengths(plan), c.blockLengths);
        std::vector<std::size_t> sizes;
        std::uint16_t expectedOffset = 0;
        for (const auto* p : ofReportId(plan, kAvneraDataReportId)) {
            sizes.push_back(p->m_Request.size() - 7);
            const std::uint16_t offset = p->m_Request[1] | (p->m_Request[2] << 8);
            EXPECT_EQ(offset, expectedOffset);
            expectedOffset = static_cast<std::uint16_t>((expectedOffset + 256) % 4096);
        }
        EXPECT_EQ(sizes, c.dataReportSizes);
    }
}

TEST(AvneraPlanTest, SecondBlockIsCommittedAtItsImageAddress) {
    PacketQueue plan;
    ASSERT_TRUE(buildAvneraPlan(false, imageOf(4097, 0x6A, 0x00), plan));
    std::vector<ByteVector> addresses;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        if (plan[i].m_Request == avneraCommitTrigger()) {
            addresses.push_back(plan[i - 4].m_Request);
        }
    }
    ASSERT_EQ(addresses.size(), 2u);
    EXPECT_EQ(addresses[0], avneraParameterWrite(0xB53A + 1, 0, 4));
    EXPECT_EQ(addresses[1], avneraParameterWrite(0xB53A + 1, 0x1000, 4));
}

TEST(AvneraPlanTest, DongleSmallerThanZHasOneRegionPass) {
    PacketQueue plan;
    ASSERT_TRUE(buildAvneraPlan(true, imageOf(300, 0x7B, 0x3A), plan));
    int passes = 0;
    for (const auto& p : plan) {
        passes += p.m_Request == avneraRegionTrigger();
    }
    EXPECT_EQ(passes, 1);
    EXPECT_EQ(plan[4].m_Request, avneraParameterWrite(0xC42D + 1, 0, 4));
}

struct RefusalCase {
    const char* name;
    bool dongle;
    ByteVector image;
    std::string trace;
};

TEST(AvneraPlanTest, ImagesThatCannotBeProgrammedAreRefusedBeforeAnyPacket) {
    const RefusalCase cases[] = {
        {"empty image", false, {}, "  The image is empty, there is nothing to program\n"},
        {"larger than M", false, imageOf(65537, 0x6A, 0),
         "  File size is larger than available device memory\n"},
        {"memory nibble 0", true, imageOf(16, 0x70, 0x3A),
         "  File size is larger than available device memory\n"},
        {"dongle region size 0", true, imageOf(16, 0x7B, 0x30),
         "  Region size in the image header is 0, the image cannot be programmed\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TraceCapture capture;
        PacketQueue plan;
        EXPECT_FALSE(buildAvneraPlan(c.dongle, c.image, plan));
        EXPECT_TRUE(plan.empty());
        ASSERT_FALSE(capture.messages().empty());
        EXPECT_TRUE(capture.messages().back().ends_with(c.trace)) << capture.messages().back();
    }
    // Exactly M bytes is accepted; the headset never looks at Z.
    PacketQueue plan;
    EXPECT_TRUE(buildAvneraPlan(false, imageOf(65536, 0x6A, 0x00), plan));
}

}  // namespace
}  // namespace zeltor
