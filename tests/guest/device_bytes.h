#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/bytes.h"

namespace zeltor::guest {

// What the guest's checkers send the bridged devices, byte for byte, and how they read the
// answers: their own literals, never the tool's builders.
inline constexpr std::uint16_t kChipPage = 0xFF00;
inline constexpr std::uint16_t kMcuPage = 0xFF42;
inline constexpr std::uint8_t kChipReportId = 0xFF;

inline const ByteVector kVersionRequest{0xFF, 0x0A, 0x00, 0xFD, 0x04, 0x07,
                                        0x00, 0x05, 0x03, 0x05, 0x00, 0x00};
inline const ByteVector kBootloaderEntry{0xFF, 0x02, 0x00, 0x0A};
inline const ByteVector kMcuVersionRequest{0x06, 0x88, 0x07, 0x00};
// The chip answers its version request after a pause, in which the tool waits half a second.
inline constexpr std::chrono::milliseconds kVersionPause{500};

// The version text from byte 9 of the chip's answer, up to its first zero byte; nothing when
// the answer is too short to hold one.
inline std::optional<std::string> chipVersionText(const ByteVector& answer) {
    constexpr std::size_t kTextOffset = 9;
    if (answer.size() <= kTextOffset) {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = kTextOffset; i < answer.size() && answer[i] != 0; ++i) {
        text += static_cast<char>(answer[i]);
    }
    return text;
}

// The MCU's patch version from its answer, which repeats the request before a packed-decimal
// byte; nothing for another report.
inline std::optional<int> mcuPatch(const ByteVector& report) {
    if (report.size() <= kMcuVersionRequest.size() ||
        !std::equal(kMcuVersionRequest.begin(), kMcuVersionRequest.end(), report.begin())) {
        return std::nullopt;
    }
    const std::uint8_t bcd = report[kMcuVersionRequest.size()];
    return (bcd >> 4) * 10 + (bcd & 0x0F);
}

}  // namespace zeltor::guest
