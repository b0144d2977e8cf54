#pragma once

#include <cstdint>
#include <vector>

namespace zeltor {

// Firmware images, HID reports, packet requests and expected answers are all byte vectors;
// byte 0 of a report is its report id.
using ByteVector = std::vector<std::uint8_t>;

}  // namespace zeltor
