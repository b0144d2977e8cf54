#include "uhid_descriptor.h"

#include <gtest/gtest.h>

#include "hid/report_descriptor.h"

namespace zeltor::guest {
namespace {

const HidCaps kChipCaps{1, 0xFF00, 64, 64, 263};
const HidCaps kMcuCaps{1, 0xFF42, 64, 64, 0};

// The wireless chip in application mode: its command report 0xFF in every direction.
const ByteVector kChipCollection = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,        // usage page 0xFF00, usage 1, application
    0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,        //   logical 0..255, 8 bits
    0x85, 0xFF, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02,  //   0xFF x 63 input
    0x85, 0xFF, 0x95, 0x3F, 0x09, 0x01, 0x91, 0x02,  //   0xFF x 63 output
    0x85, 0xFF, 0x96, 0x06, 0x01, 0x09, 0x01, 0xB1,  //   0xFF x 262 feature
    0x02, 0xC0,                                      // end
};

const ByteVector kMcuCollection = {
    0x06, 0x42, 0xFF, 0x09, 0x01, 0xA1, 0x01,        // usage page 0xFF42, usage 1, application
    0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,        //   logical 0..255, 8 bits
    0x85, 0x06, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02,  //   0x06 x 63 input
    0x85, 0x06, 0x95, 0x3F, 0x09, 0x01, 0x91, 0x02,  //   0x06 x 63 output
    0xC0,                                            // end
};

ByteVector joined(ByteVector first, const ByteVector& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

struct Case {
    const char* name;
    std::vector<std::pair<DeviceRole, HidCaps>> collections;
    std::vector<std::uint8_t> floodIds;  // of the first collection
    ByteVector expected;
};

TEST(UhidDescriptorTest, DeclaresEachCollectionsReportsWithTheirLengths) {
    const Case cases[] = {
        {"dongle", {{DeviceRole::ZeltorDongle, kChipCaps}}, {}, kChipCollection},
        {"headset as one node: the chip first, then the MCU",
         {{DeviceRole::ZeltorHeadset, kChipCaps}, {DeviceRole::ZeltorHeadsetMCU, kMcuCaps}},
         {},
         joined(kChipCollection, kMcuCollection)},
        {"bootloader: the data report 0xE4 beside the commands",
         {{DeviceRole::AvneraDongleBootloader, kChipCaps}},
         {},
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
          0x85, 0xFF, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x85, 0xFF, 0x95, 0x3F, 0x09, 0x01,
          0x91, 0x02, 0x85, 0xFF, 0x96, 0x06, 0x01, 0x09, 0x01, 0xB1, 0x02,  // 0xFF x 262
          0x85, 0xE4, 0x96, 0x06, 0x01, 0x09, 0x01, 0xB1, 0x02,              // 0xE4 x 262
          0xC0}},
        {"a flooded id is an input report; id 0 and the own id add nothing",
         {{DeviceRole::ZeltorHeadsetMCU, kMcuCaps}},
         {0x07, 0x00, 0x06},
         {0x06, 0x42, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF,
          0x00, 0x75, 0x08, 0x85, 0x06, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02,  // 0x06 x 63 input
          0x85, 0x07, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02,                    // 0x07 x 63 input
          0x85, 0x06, 0x95, 0x3F, 0x09, 0x01, 0x91, 0x02,                    // 0x06 x 63 output
          0xC0}},
        {"lengths of the id byte alone or none declare nothing; the largest length fits",
         {{DeviceRole::ZeltorDongle, HidCaps{1, 0xFF00, 1, 0, 4096}}},
         {},
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
          0x75, 0x08, 0x85, 0xFF, 0x96, 0xFF, 0x0F, 0x09, 0x01, 0xB1, 0x02,  // 0xFF x 4095 feature
          0xC0}},
    };
    for (const Case& c : cases) {
        std::vector<UhidCollectionLayout> layouts;
        for (const auto& [role, caps] : c.collections) {
            layouts.push_back(collectionLayout(
                role, caps, layouts.empty() ? c.floodIds : std::vector<std::uint8_t>{}));
        }
        EXPECT_EQ(reportDescriptor(layouts), c.expected) << c.name;
    }
}

// The program learns a collection's report lengths from the node's descriptor; they must be
// the lengths the simulated collection has.
TEST(UhidDescriptorTest, TheProgramsParserFindsTheSimulatedCollectionsCaps) {
    const ByteVector headset = joined(kChipCollection, kMcuCollection);
    const ReportDescriptor parsed = parseReportDescriptor(headset);
    ASSERT_TRUE(parsed.ok()) << parsed.failure;
    ASSERT_EQ(parsed.collections.size(), 2u);
    const HidCaps& chip = parsed.collections[0].caps;
    const HidCaps& mcu = parsed.collections[1].caps;
    EXPECT_EQ((std::vector<int>{chip.UsagePage, chip.Usage, chip.InputReportByteLength,
                                chip.OutputReportByteLength, chip.FeatureReportByteLength}),
              (std::vector<int>{0xFF00, 1, 64, 64, 263}));
    EXPECT_EQ((std::vector<int>{mcu.UsagePage, mcu.Usage, mcu.InputReportByteLength,
                                mcu.OutputReportByteLength, mcu.FeatureReportByteLength}),
              (std::vector<int>{0xFF42, 1, 64, 64, 0}));
}

}  // namespace
}  // namespace zeltor::guest
