#pragma once

#include <cstdint>
#include <optional>

#include "base/bytes.h"

namespace zeltor {

// A parameter write as the wireless chips read it: `width` bytes written at `address`. Byte 8 is
// 0 in the bootloader's writes; the pairing report carries its target selector there.
struct AvneraParameterWriteFields {
    std::uint16_t address;
    std::uint8_t byte8;
    ByteVector value;
};

std::optional<AvneraParameterWriteFields> parseAvneraParameterWrite(const ByteVector& report);

}  // namespace zeltor
