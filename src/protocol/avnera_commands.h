#pragma once

#include <cstdint>
#include <optional>

#include "base/bytes.h"
// The simulated devices still reach the MCU commands through this header; they move to
// including it themselves.
#include "protocol/mcu_commands.h"

namespace zeltor {

// Feature reports the wireless chips take in application mode.
ByteVector avneraVersionRequest();
ByteVector avneraBootloaderEntryCommand();
ByteVector avneraPairingIdReport(std::uint32_t id, bool isDongle);
ByteVector avneraPairingConfirmReport();

inline constexpr std::uint8_t kPairingSelectorDongle = 0x0E;
inline constexpr std::uint8_t kPairingSelectorHeadset = 0x0F;
inline constexpr int kAvneraVersionWaitMs = 500;
inline constexpr int kAvneraPairingPauseMs = 100;

struct AvneraVersion {
    std::uint8_t major;
    std::uint8_t minor;
};

// Reads "T?.MM.mm" at bytes 9 to 16 of a version answer; nothing when the T or the full stop
// is missing.
std::optional<AvneraVersion> parseAvneraVersion(const ByteVector& answer);

}  // namespace zeltor
