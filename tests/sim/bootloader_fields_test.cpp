// The wireless chips' bootloaders read every field of every report they are sent: a plan written
// out from the report layouts lands, and any one wrong byte in it is a device error that keeps
// the image out of the EEPROM (or, in the reset, keeps the chip in its bootloader).
#include <gtest/gtest.h>

#include <algorithm>

#include "literal_plans.h"
#include "sim_bench.h"

namespace zeltor::test {
namespace {

using namespace std::chrono_literals;

struct ChipUnderTest {
    SimDevice& device;
    DeviceRole bootloader;
    PacketQueue plan;
    const ByteVector& image;
};

ChipUnderTest chipOf(SimBench& bench, bool dongle) {
    if (dongle) {
        return {bench.dongle(), DeviceRole::AvneraDongleBootloader, literalDonglePlan(),
                kLiteralDongleImage};
    }
    return {bench.headset(), DeviceRole::AvneraHeadsetBootloader, literalHeadsetPlan(),
            kLiteralHeadsetImage};
}

// Sends every packet, whether or not an earlier one failed.
void sendAll(cDeviceUpdater& channel, const PacketQueue& plan) {
    for (const DfuPacket& packet : plan) {
        channel.SendPacket(packet);
    }
}

TEST(BootloaderFieldsTest, PlansWrittenFromTheLayoutsLandAndTheChipComesBack) {
    for (const bool dongle : {false, true}) {
        SCOPED_TRACE(dongle ? "dongle" : "headset");
        SimBench bench(kBothInBootloader);
        ChipUnderTest chip = chipOf(bench, dongle);
        ASSERT_FALSE(landed(chip.image, chip.device));
        auto channel = bench.open(chip.bootloader);
        EXPECT_EQ(sendPlan(*channel, chip.plan), std::nullopt);
        EXPECT_TRUE(landed(chip.image, chip.device));
        EXPECT_TRUE(chip.device.errors().empty()) << errorsOf(chip.device);
        bench.runFor(1500ms);
        EXPECT_EQ(chip.device.mode(), SimDeviceMode::Application);
    }
}

struct WrongByte {
    const char* story;
    bool dongle;
    std::size_t packet;
    std::size_t byte;
    std::uint8_t value;
    const char* error;
    bool inReset = false;  // the image lands, but the chip does not restart
};

TEST(BootloaderFieldsTest, AnyWrongByteIsADeviceErrorAndKeepsTheImageOut) {
    const WrongByte cases[] = {
        // Parameter writes: the header, byte by byte, and the addresses and values.
        {"report id", false, 1, 0, 0xFE, "feature report of unknown id refused: fe 0a 00 ff"},
        {"count byte", false, 1, 1, 0x0B, "unknown command ff 0b 00 ff 04 00 00 05 00 3a b5 02"},
        {"byte 2", false, 1, 2, 0x01, "unknown command ff 0a 01 ff"},
        {"byte 3", false, 1, 3, 0xFE, "unknown command ff 0a 00 fe"},
        {"byte 4", false, 1, 4, 0x05, "unknown command ff 0a 00 ff 05"},
        {"byte 5", false, 1, 5, 0x01, "unknown command ff 0a 00 ff 04 01"},
        {"byte 6", false, 1, 6, 0x01, "unknown command ff 0a 00 ff 04 00 01"},
        {"width byte", false, 1, 7, 0x06, "unknown command ff 0a 00 ff 04 00 00 06"},
        {"byte 8", false, 1, 8, 0x0F, "parameter write to 0xB53A with 0x0F in byte 8 ignored"},
        {"address low byte", false, 1, 9, 0x3B, "parameter write of 1 byte(s) at 0xB53B ignored"},
        {"address high byte", false, 1, 10, 0xB6, "parameter write of 1 byte(s) at 0xB63A ignored"},
        {"setup register", false, 0, 9, 0xE2,
         "parameter write before the setup write to 0xF0E1 ignored"},
        {"headset setup value", false, 0, 11, 0xA1,
         "setup register written with 1 byte(s) 0xA1, expected 0xA0"},
        {"dongle setup value", true, 0, 11, 0x51,
         "setup register written with 2 byte(s) 0x551, expected 0x550"},
        {"headset chip byte", false, 1, 11, 0x01, "parameter block names chip 1, this is chip 2"},
        {"dongle chip byte", true, 1, 11, 0x02, "parameter block names chip 2, this is chip 1"},
        // The image geometry, checked against the header of the image itself.
        {"headset Z", false, 2, 11, 0x80, "the parameter block says M 65536, T 3, G 8, Z 128"},
        {"headset M", false, 3, 13, 0x02, "the parameter block says M 131072, T 3, G 8, Z 0"},
        {"headset T", false, 3, 15, 0x02, "the parameter block says M 65536, T 2, G 8, Z 0"},
        {"headset G", false, 3, 16, 0x10, "the parameter block says M 65536, T 3, G 16, Z 0"},
        {"dongle Z", true, 2, 13, 0x02, "the parameter block says M 131072, T 3, G 256, Z 131072"},
        {"dongle M", true, 3, 13, 0x01, "the parameter block says M 65536, T 3, G 256, Z 65536"},
        {"dongle T", true, 3, 15, 0x01, "the parameter block says M 131072, T 1, G 256, Z 65536"},
        {"dongle G", true, 3, 17, 0x02, "the parameter block says M 131072, T 3, G 512, Z 65536"},
        // Region passes.
        {"region address", true, 4, 13, 0x01,
         "region pass at 0x10000 ignored, the next region is at 0x0"},
        {"region length field", true, 5, 11, 0x02, "region trigger with length field 2"},
        {"region trigger byte 1", true, 6, 1, 0x08, "unknown command ff 08 00 ff 04 00 00 05 0c"},
        {"region trigger byte 3", true, 6, 3, 0xFE, "unknown command ff 07 00 fe 04 00 00 05 0c"},
        {"region trigger byte 7", true, 6, 7, 0x06, "unknown command ff 07 00 ff 04 00 00 06 0c"},
        {"region trigger byte 8", true, 6, 8, 0x0D, "unknown command ff 07 00 ff 04 00 00 05 0d"},
        // Data reports.
        {"data report id", false, 4, 0, 0xE5, "feature report of unknown id refused: e5 00"},
        {"data offset", false, 4, 1, 0x01,
         "data report at offset 1 ignored, the block's next is at 0"},
        {"data byte 3", false, 4, 3, 0x01, "malformed header: e4 00 00 01 00 00 01"},
        {"data byte 4", false, 4, 4, 0x01, "malformed header: e4 00 00 00 01 00 01"},
        {"data byte 5", false, 4, 5, 0x01, "malformed header: e4 00 00 00 00 01 01"},
        {"data byte 6", false, 4, 6, 0x00, "malformed header: e4 00 00 00 00 00 00"},
        // The block commit: its fields and the trigger.
        {"block address", false, 6, 11, 0x01,
         "commit of the block at 0x1 ignored, the next block is at 0x0"},
        {"headset RAM buffer", false, 7, 11, 0x5E, "commit from RAM at 0xBB5E"},
        {"dongle RAM buffer", true, 11, 11, 0x13, "commit from RAM at 0xD313"},
        {"block length", false, 8, 12, 0x01,
         "commit of 260 bytes at 0x0 from RAM not written since the last commit"},
        {"block length 0", false, 8, 11, 0x00, "commit of 0 bytes, a block holds 1 to 4096"},
        {"reserved field", false, 9, 11, 0x01, "commit with 0x0001 in the reserved field"},
        {"commit trigger byte 1", false, 10, 1, 0x08, "unknown command ff 08 00 ff 04 00 00 02 03"},
        {"commit trigger byte 2", false, 10, 2, 0x01, "unknown command ff 07 01 ff"},
        {"commit trigger byte 4", false, 10, 4, 0x05, "unknown command ff 07 00 ff 05"},
        {"commit trigger byte 5", false, 10, 5, 0x01, "unknown command ff 07 00 ff 04 01"},
        {"commit trigger byte 6", false, 10, 6, 0x01, "unknown command ff 07 00 ff 04 00 01"},
        {"commit trigger byte 7", false, 10, 7, 0x05, "unknown command ff 07 00 ff 04 00 00 05 03"},
        {"commit trigger byte 8", false, 10, 8, 0x0C, "unknown command ff 07 00 ff 04 00 00 02 0c"},
        // The reset: the image is in, but the chip does not restart.
        {"reset byte 1", false, 13, 1, 0x03, "unknown command ff 03 00 05", true},
        {"reset byte 2", false, 13, 2, 0x01, "unknown command ff 02 01 05", true},
        {"bootloader entry for reset", false, 13, 3, 0x0A, "application command ff 02 00 0a", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story);
        SimBench bench(kBothInBootloader);
        ChipUnderTest chip = chipOf(bench, c.dongle);
        ASSERT_LT(c.byte, chip.plan[c.packet].m_Request.size());
        ASSERT_NE(chip.plan[c.packet].m_Request[c.byte], c.value);
        chip.plan[c.packet].m_Request[c.byte] = c.value;
        auto channel = bench.open(chip.bootloader);
        sendAll(*channel, chip.plan);
        EXPECT_TRUE(mentions(chip.device.errors(), c.error)) << errorsOf(chip.device);
        EXPECT_EQ(landed(chip.image, chip.device), c.inReset);
        bench.runFor(1500ms);
        EXPECT_EQ(chip.device.mode(),
                  c.inReset ? SimDeviceMode::Bootloader : SimDeviceMode::Application);
    }
}

}  // namespace
}  // namespace zeltor::test
