#include "platform/linux/hidraw_input_filter_linux.h"

#include <gtest/gtest.h>

#include <optional>

namespace zeltor {
namespace {

// The headset's node: the MCU's collection reads report 6, the wireless chip's only has feature
// report 0xFF, a collection of another device numbers several.
const HidrawReportFilter kMcu{true, {0x06}};
const HidrawReportFilter kChip{true, {0xFF}};
const HidrawReportFilter kSeveral{true, {0x01, 0x03, 0x07}};
const HidrawReportFilter kUnnumbered{false, {}};

TEST(HidrawInputFilterTest, AChannelTakesOnlyItsCollectionsReports) {
    const struct {
        const char* name;
        ByteVector read;
        const HidrawReportFilter& filter;
        std::size_t length;
        std::optional<ByteVector> report;
    } cases[] = {
        {"own id, full length",
         {0x06, 0x11, 0x22, 0x33},
         kMcu,
         4,
         ByteVector{0x06, 0x11, 0x22, 0x33}},
        {"own id, short read padded", {0x06, 0x11}, kMcu, 4, ByteVector{0x06, 0x11, 0x00, 0x00}},
        {"own id, long read cut",
         {0x06, 0x11, 0x22, 0x33, 0x44},
         kMcu,
         3,
         ByteVector{0x06, 0x11, 0x22}},
        {"another collection's report", {0xFF, 0x06, 0x06}, kMcu, 3, std::nullopt},
        {"a collection without input reports takes none", {0x06, 0x11}, kChip, 2, std::nullopt},
        {"any of several ids", {0x03, 0xAA}, kSeveral, 2, ByteVector{0x03, 0xAA}},
        {"an id between them", {0x02, 0xAA}, kSeveral, 2, std::nullopt},
        {"an empty read of a numbered node", {}, kSeveral, 2, std::nullopt},
        {"unnumbered: the id byte 0 goes in front",
         {0x06, 0x11},
         kUnnumbered,
         3,
         ByteVector{0x00, 0x06, 0x11}},
        {"unnumbered, padded", {0x42}, kUnnumbered, 4, ByteVector{0x00, 0x42, 0x00, 0x00}},
        {"unnumbered, cut", {0x01, 0x02, 0x03}, kUnnumbered, 2, ByteVector{0x00, 0x01}},
        {"unnumbered empty read", {}, kUnnumbered, 2, ByteVector{0x00, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(collectionInputReport(c.read, c.filter, c.length), c.report);
    }
}

}  // namespace
}  // namespace zeltor
