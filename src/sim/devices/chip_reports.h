#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/bytes.h"

namespace zeltor {

// The wireless chips' feature reports as the chips themselves read them. Every header byte the
// chips accept is written out in chip_reports.cpp; none comes from the tool's builders, so a
// wrong byte on the tool's side is a report the chip does not know.
inline constexpr std::uint8_t kChipCommandReportId = 0xFF;
inline constexpr std::uint8_t kChipDataReportId = 0xE4;

enum class ChipCommand {
    VersionRequest,
    BootloaderEntry,
    Reset,
    PairingStore,
    RegionTrigger,
    CommitTrigger,
};

// The command whose whole header `report` begins with.
std::optional<ChipCommand> chipCommandOf(const ByteVector& report);

// A write of `value` to `address` of the chip's data space. Byte 8 of the report, `target`, is 0
// in the bootloader's writes; the pairing report carries its target selector there.
struct ChipParameterWrite {
    std::uint8_t target;
    std::uint16_t address;
    ByteVector value;
};

std::optional<ChipParameterWrite> chipParameterWriteOf(const ByteVector& report);

// The header of a data report: report id, the offset in the block (least significant byte
// first) and the four fixed bytes 00 00 00 01. The image bytes follow from byte 7 on.
inline constexpr std::size_t kChipDataHeaderSize = 7;
bool chipDataHeaderIsSound(const ByteVector& report);
std::uint16_t chipDataOffset(const ByteVector& report);

}  // namespace zeltor
