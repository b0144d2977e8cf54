#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zeltor {

// A HID device's identity as the kernel announces it in the HID_ID property of the hid parent of
// a hidraw node: "BBBB:VVVVVVVV:PPPPPPPP", bus, vendor and product in hexadecimal.
struct HidId {
    std::uint16_t bus = 0;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// Nothing unless the text has exactly that shape with values that fit 16 bits.
std::optional<HidId> parseHidId(std::string_view text);

}  // namespace zeltor
