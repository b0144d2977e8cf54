#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/bytes.h"

namespace zeltor {

bool beginsWith(const ByteVector& report, const ByteVector& prefix);

// Least significant byte first, as every multi-byte value of the wireless chips.
std::uint32_t littleEndian(const std::uint8_t* bytes, int width);

// The first `count` bytes of `bytes` as "ff 02 00 0a", for messages.
std::string hexBytes(const ByteVector& bytes, std::size_t count);

// What a chip's EEPROM or the MCU's flash holds before an update: the previous firmware, told
// apart from any image the tests write.
ByteVector oldFirmwarePattern(std::size_t size, std::uint8_t seed);

}  // namespace zeltor
