#pragma once

#include <cstdint>
#include <optional>

#include "base/bytes.h"

namespace zeltor {

// MCU output reports outside its plan.
ByteVector mcuVersionRequest();
ByteVector mcuUpdateModeCommand();
// The patch version in a version answer (two decimal digits, one per nibble); nothing when the
// answer is not one.
std::optional<std::uint8_t> parseMCUVersion(const ByteVector& answer);

}  // namespace zeltor
