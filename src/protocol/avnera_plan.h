#pragma once

#include <cstdint>

#include "base/bytes.h"
#include "protocol/dfu_packet.h"

namespace zeltor {

// Per-chip constants of the wireless chips' bootloader protocol.
struct AvneraChip {
    std::uint16_t parameterBlock;  // P
    std::uint16_t ramBuffer;       // R
    std::uint8_t chipByte;         // C
    std::uint8_t setupWidth;       // bytes of the setup value written to 0xF0E1
    std::uint16_t setupValue;
    bool regionPasses;
};

inline constexpr AvneraChip kAvneraHeadsetChip{0xB53A, 0xBB5C, 2, 1, 0xA0, false};
inline constexpr AvneraChip kAvneraDongleChip{0xC42D, 0xD312, 1, 2, 0x0550, true};

inline constexpr std::uint16_t kAvneraSetupRegister = 0xF0E1;
inline constexpr std::uint32_t kAvneraBlockLimit = 4096;
inline constexpr std::uint32_t kAvneraDataReportLimit = 256;
inline constexpr std::uint8_t kAvneraCommandReportId = 0xFF;
inline constexpr std::uint8_t kAvneraDataReportId = 0xE4;

inline constexpr std::int32_t kAvneraDataPauseMs = 20;
inline constexpr std::int32_t kAvneraCommitPauseMs = 1000;
inline constexpr std::int32_t kAvneraRegionPauseMs = 4000;
inline constexpr std::int32_t kAvneraResetPauseMs = 2000;

// Offsets within the parameter block.
inline constexpr std::uint16_t kParamChipByte = 0;
inline constexpr std::uint16_t kParamAddress = 1;
inline constexpr std::uint16_t kParamRamBuffer = 5;
inline constexpr std::uint16_t kParamLength = 7;
inline constexpr std::uint16_t kParamReserved = 10;
inline constexpr std::uint16_t kParamMemorySize = 13;
inline constexpr std::uint16_t kParamSizeZ = 20;

// Sizes taken from the first two image bytes.
struct AvneraImageGeometry {
    std::uint32_t memorySize;  // M
    std::uint16_t sizeG;       // G as it goes on the wire
    std::uint32_t sizeZ;       // Z (0 for the headset)
    std::uint8_t fieldT;       // T
};
AvneraImageGeometry avneraImageGeometry(const ByteVector& image, bool dongle);

// RAM the chip reports as available for a download, 0xEFFF - R - 0x100.
int avneraAvailableRam(const AvneraChip& chip);

// Request layouts.
ByteVector avneraParameterWrite(std::uint16_t address, std::uint64_t value, int width);
ByteVector avneraRegionTrigger();
ByteVector avneraCommitTrigger();
ByteVector avneraResetRequest();
ByteVector avneraDataReport(std::uint16_t offset, const std::uint8_t* bytes, std::size_t count);

// Appends the plan that writes `image` into the headset's chip (with `dongle`, the dongle's).
// False, with a trace line and nothing appended, when the image is empty, larger than the chip's
// memory, or (dongle) names a region size of 0.
bool buildAvneraPlan(bool dongle, const ByteVector& image, PacketQueue& plan);

}  // namespace zeltor
