#include "platform/linux/udev_hid_id_linux.h"

#include <gtest/gtest.h>

namespace zeltor {
namespace {

TEST(UdevHidIdTest, ReadsBusVendorAndProduct) {
    const struct {
        const char* text;
        std::uint16_t bus;
        std::uint16_t vendor;
        std::uint16_t product;
    } cases[] = {
        {"0003:00002F5A:00005C1B", 0x0003, 0x2F5A, 0x5C1B},
        {"0003:0000170D:00000100", 0x0003, 0x170D, 0x0100},
        {"0005:0000ffff:0000abcd", 0x0005, 0xFFFF, 0xABCD},
        {"0000:00000000:00000000", 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<HidId> id = parseHidId(c.text);
        ASSERT_TRUE(id.has_value());
        EXPECT_EQ(id->bus, c.bus);
        EXPECT_EQ(id->vendorId, c.vendor);
        EXPECT_EQ(id->productId, c.product);
    }
}

TEST(UdevHidIdTest, RefusesAnythingElse) {
    const char* refused[] = {
        "",
        "0003:00002F5A",
        "0003:00002F5A:00005C1B:",
        "0003:00002F5A:00005C1B0",
        "003:00002F5A:00005C1B",
        "0003:2F5A:5C1B",
        "0003:00012F5A:00005C1B",  // a vendor id wider than 16 bits
        "0003:00002G5A:00005C1B",
        "0003-00002F5A-00005C1B",
        "0003:00002F5A:-0005C1B",
        " 0003:00002F5A:00005C1B",
    };
    for (const char* text : refused) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parseHidId(text).has_value());
    }
}

}  // namespace
}  // namespace zeltor
