// The wireless chips' bootloaders executing update plans against their memory model.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "firmware/resource_images.h"
#include "protocol/avnera_plan.h"
#include "sim_bench.h"

namespace zeltor::test {
namespace {

using namespace std::chrono_literals;

TEST(AvneraBootloaderTest, EmbeddedImagesLandInTheEepromAndTheChipComesBack) {
    struct Chip {
        const char* name;
        bool dongle;
        int resource;
        DeviceRole bootloader;
        DeviceRole application;
    };
    const Chip chips[] = {
        {"headset", false, 132, DeviceRole::AvneraHeadsetBootloader, DeviceRole::ZeltorHeadset},
        {"dongle", true, 131, DeviceRole::AvneraDongleBootloader, DeviceRole::ZeltorDongle},
    };
    for (const auto& chip : chips) {
        SCOPED_TRACE(chip.name);
        SimBench bench(kBothInBootloader);
        SimDevice& device = chip.dongle ? bench.dongle() : bench.headset();
        ByteVector image;
        ASSERT_TRUE(loadImageTextResource(chip.resource, image));
        PacketQueue plan;
        ASSERT_TRUE(buildAvneraPlan(chip.dongle, image, plan));
        ASSERT_FALSE(landed(image, device)) << "the old firmware must differ from the image";

        auto channel = bench.open(chip.bootloader);
        EXPECT_EQ(sendPlan(*channel, plan), std::nullopt);
        EXPECT_TRUE(landed(image, device));
        EXPECT_TRUE(device.errors().empty()) << errorsOf(device);

        // The plan ends with the reset: the chip comes back in application mode.
        bench.runFor(1500ms);
        EXPECT_EQ(device.mode(), SimDeviceMode::Application);
        EXPECT_NE(bench.pathOf(chip.application), "");
        EXPECT_EQ(bench.pathOf(chip.bootloader), "");
    }
}

TEST(AvneraBootloaderTest, AnInterruptedDongleTransferSentAgainFromTheStartLands) {
    SimBench bench(kBothInBootloader);
    ByteVector image;
    ASSERT_TRUE(loadImageTextResource(131, image));
    PacketQueue plan;
    ASSERT_TRUE(buildAvneraPlan(true, image, plan));
    {
        auto channel = bench.open(DeviceRole::AvneraDongleBootloader);
        const PacketQueue firstHalf(plan.begin(), plan.begin() + plan.size() / 2);
        EXPECT_EQ(sendPlan(*channel, firstHalf), std::nullopt);
    }
    bench.dongle().unplug();
    bench.dongle().plug();
    EXPECT_EQ(bench.dongle().mode(), SimDeviceMode::Bootloader);
    auto channel = bench.open(DeviceRole::AvneraDongleBootloader);
    EXPECT_EQ(sendPlan(*channel, plan), std::nullopt);
    EXPECT_TRUE(landed(image, bench.dongle()));
    EXPECT_TRUE(bench.dongle().errors().empty()) << errorsOf(bench.dongle());
}

ByteVector testImage(std::size_t size, std::uint8_t b0, std::uint8_t b1) {
    ByteVector image(size);
    for (std::size_t i = 0; i < size; ++i) {
        image[i] = static_cast<std::uint8_t>(i * 13 + 7);
    }
    image[0] = b0;
    image[1] = b1;
    return image;
}

// The chip reads M, T, G and Z from the image's own header and checks the tool's parameter block
// against them: the tool's plans for headers with every field in play must pass.
TEST(AvneraBootloaderTest, PlansForImagesOfEveryHeaderShapeLand) {
    struct Header {
        const char* story;
        bool dongle;
        std::uint8_t b0;
        std::uint8_t b1;
    };
    const Header headers[] = {
        {"headset, G 128, T 0", false, 0x6A, 0x02},
        {"headset, G 0, T 2 beside a set bit 3", false, 0x0A, 0x28},
        {"headset, G 256 beside a set bit 7, T 3 beside set bits 6 and 7", false, 0xFA, 0xF8},
        {"headset, T 1 beside a set bit 3", false, 0x4A, 0x18},
        {"dongle, G 256, T 3, Z 64 KiB", true, 0x7B, 0x3A},
        {"dongle, G 1, T 2 beside a set bit 3", true, 0x0B, 0x2A},
        {"dongle, G 65536 sent as 0, T 1 beside set bits 6 and 7", true, 0xFB, 0xD9},
        {"dongle, Z 2 KiB: three region passes", true, 0x5B, 0x05},
    };
    for (const auto& h : headers) {
        SCOPED_TRACE(h.story);
        SimBench bench(kBothInBootloader);
        SimDevice& device = h.dongle ? bench.dongle() : bench.headset();
        const ByteVector image = testImage(5000, h.b0, h.b1);
        PacketQueue plan;
        ASSERT_TRUE(buildAvneraPlan(h.dongle, image, plan));
        auto channel = bench.open(h.dongle ? DeviceRole::AvneraDongleBootloader
                                           : DeviceRole::AvneraHeadsetBootloader);
        EXPECT_EQ(sendPlan(*channel, plan), std::nullopt);
        EXPECT_TRUE(landed(image, device));
        EXPECT_TRUE(device.errors().empty()) << errorsOf(device);
    }
}

// Two blocks; the dongle's image header names one region of 64 KiB.
const ByteVector kHeadsetImage = testImage(5000, 0x6A, 0x42);
const ByteVector kDongleImage = testImage(5000, 0x7B, 0x3A);

bool writesTo(const DfuPacket& packet, std::uint16_t address) {
    const ByteVector& r = packet.m_Request;
    return r.size() > 11 && r[0] == kAvneraCommandReportId && r[1] > 9 &&
           r[9] == (address & 0xFF) && r[10] == (address >> 8);
}

std::size_t firstWriteTo(const PacketQueue& plan, std::uint16_t address) {
    const auto it = std::find_if(plan.begin(), plan.end(),
                                 [&](const DfuPacket& p) { return writesTo(p, address); });
    return static_cast<std::size_t>(it - plan.begin());
}

// Replaces the value of the first parameter write to `offset` of the block at P.
std::function<void(PacketQueue&)> rewrite(const AvneraChip& chip, std::uint16_t offset,
                                          std::uint64_t value) {
    return [&chip, offset, value](PacketQueue& plan) {
        const auto address = static_cast<std::uint16_t>(chip.parameterBlock + offset);
        DfuPacket& packet = plan[firstWriteTo(plan, address)];
        packet.m_Request = avneraParameterWrite(address, value, packet.m_Request[1] - 9);
    };
}

void removeIf(PacketQueue& plan, const std::function<bool(const DfuPacket&)>& unwanted) {
    plan.erase(std::remove_if(plan.begin(), plan.end(), unwanted), plan.end());
}

TEST(AvneraBootloaderTest, SenselessPlansAreRecordedAsDeviceErrors) {
    const AvneraChip& headset = kAvneraHeadsetChip;
    const AvneraChip& dongle = kAvneraDongleChip;
    struct Case {
        const char* story;
        bool dongle;
        std::function<void(PacketQueue&)> corrupt;
        const char* error;
        bool refused;  // the transfer itself fails, not only the device's work
    };
    const Case cases[] = {
        {"a commit before its data", false,
         [](PacketQueue& plan) {
             const auto commit = std::find(plan.begin(), plan.end(),
                                           DfuPacket(PacketSetFeature, avneraCommitTrigger()));
             plan.erase(std::remove_if(plan.begin(), commit,
                                       [](const DfuPacket& p) {
                                           return !p.m_Request.empty() &&
                                                  p.m_Request[0] == kAvneraDataReportId;
                                       }),
                        commit);
         },
         "from RAM not written since the last commit", false},
        {"a data report past the RAM buffer", false,
         [](PacketQueue& plan) {
             const auto offset =
                 static_cast<std::uint16_t>(avneraAvailableRam(kAvneraHeadsetChip) - 16);
             plan[4].m_Request[1] = static_cast<std::uint8_t>(offset);
             plan[4].m_Request[2] = static_cast<std::uint8_t>(offset >> 8);
         },
         "runs past the RAM buffer of 13219 bytes", false},
        {"no setup write", false, [](PacketQueue& plan) { plan.pop_front(); },
         "parameter write before the setup write", false},
        {"the other chip's setup value", false,
         [](PacketQueue& plan) {
             plan.front().m_Request = avneraParameterWrite(kAvneraSetupRegister, 0x0550, 2);
         },
         "setup register written with 2 byte(s) 0x550, expected 0xA0", false},
        {"the other chip's chip byte", false, rewrite(headset, kParamChipByte, 1),
         "parameter block names chip 1, this is chip 2", false},
        {"a wrong RAM address", false, rewrite(headset, kParamRamBuffer, headset.ramBuffer + 2),
         "commit from RAM at 0xBB5E", false},
        {"a block of length 0", false, rewrite(headset, kParamLength, 0), "commit of 0 bytes",
         false},
        {"a block longer than 4096", false, rewrite(headset, kParamLength, 4097),
         "commit of 4097 bytes", false},
        {"a reserved field not 0", false, rewrite(headset, kParamReserved, 5),
         "0x0005 in the reserved field", false},
        {"a commit past the memory", false, rewrite(headset, kParamAddress, 0xF800),
         "runs past the EEPROM of 65536 bytes", false},
        {"no region pass", true,
         [](PacketQueue& plan) {
             removeIf(plan,
                      [](const DfuPacket& p) { return p.m_Request == avneraRegionTrigger(); });
         },
         "into EEPROM not erased by a region pass", false},
        {"a region length field other than 1", true, rewrite(dongle, kParamLength, 2),
         "region trigger with length field 2", false},
        {"a report id the bootloader does not have", false,
         [](PacketQueue& plan) {
             plan.insert(plan.begin() + 4, DfuPacket(PacketSetFeature, ByteVector{0xE5, 0x01}));
         },
         "feature report of unknown id refused: e5 01", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story);
        SimBench bench(kBothInBootloader);
        const ByteVector& image = c.dongle ? kDongleImage : kHeadsetImage;
        PacketQueue plan;
        ASSERT_TRUE(buildAvneraPlan(c.dongle, image, plan));
        c.corrupt(plan);
        auto channel = bench.open(c.dongle ? DeviceRole::AvneraDongleBootloader
                                           : DeviceRole::AvneraHeadsetBootloader);
        std::size_t refused = 0;
        for (const DfuPacket& packet : plan) {
            refused += channel->SendPacket(packet) ? 0 : 1;
        }
        const SimDevice& device = c.dongle ? bench.dongle() : bench.headset();
        EXPECT_TRUE(mentions(device.errors(), c.error)) << errorsOf(device);
        EXPECT_EQ(refused, c.refused ? 1u : 0u);
        EXPECT_EQ(landed(image, device), c.refused) << "only the refused report is harmless";
    }
}

}  // namespace
}  // namespace zeltor::test
