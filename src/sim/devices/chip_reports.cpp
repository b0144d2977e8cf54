#include "sim/devices/chip_reports.h"

#include <algorithm>
#include <array>

#include "sim/devices/report_bytes.h"

namespace zeltor {
namespace {

struct CommandHeader {
    ChipCommand command;
    ByteVector bytes;
};

const std::array<CommandHeader, 6>& commandHeaders() {
    static const std::array<CommandHeader, 6> headers{{
        {ChipCommand::VersionRequest,
         {0xFF, 0x0A, 0x00, 0xFD, 0x04, 0x07, 0x00, 0x05, 0x03, 0x05, 0x00, 0x00}},
        {ChipCommand::BootloaderEntry, {0xFF, 0x02, 0x00, 0x0A}},
        {ChipCommand::Reset, {0xFF, 0x02, 0x00, 0x05}},
        {ChipCommand::PairingStore, {0xFF, 0x05, 0x00, 0x39}},
        {ChipCommand::RegionTrigger, {0xFF, 0x07, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x05, 0x0C}},
        {ChipCommand::CommitTrigger, {0xFF, 0x07, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x02, 0x03}},
    }};
    return headers;
}

// A parameter write: FF, 9 + v, 00 FF 04 00 00, 4 + v, target, address (2 bytes), value (v).
constexpr std::size_t kWriteHeaderSize = 11;
const ByteVector kWriteFixedBytes{0x00, 0xFF, 0x04, 0x00, 0x00};  // bytes 2 to 6

bool isValueWidth(std::size_t width) {
    return width == 1 || width == 2 || width == 4 || width == 7;
}

}  // namespace

std::optional<ChipCommand> chipCommandOf(const ByteVector& report) {
    for (const CommandHeader& header : commandHeaders()) {
        if (report.size() >= header.bytes.size() &&
            std::equal(header.bytes.begin(), header.bytes.end(), report.begin())) {
            return header.command;
        }
    }
    return std::nullopt;
}

std::optional<ChipParameterWrite> chipParameterWriteOf(const ByteVector& report) {
    if (report.size() < kWriteHeaderSize || report[0] != kChipCommandReportId ||
        !std::equal(kWriteFixedBytes.begin(), kWriteFixedBytes.end(), report.begin() + 2) ||
        report[7] < 4) {
        return std::nullopt;
    }
    const std::size_t width = report[7] - 4u;
    if (!isValueWidth(width) || report[1] != width + 9 ||
        report.size() < kWriteHeaderSize + width) {
        return std::nullopt;
    }
    ChipParameterWrite write;
    write.target = report[8];
    write.address = static_cast<std::uint16_t>(littleEndian(report.data() + 9, 2));
    write.value.assign(report.begin() + kWriteHeaderSize,
                       report.begin() + static_cast<long>(kWriteHeaderSize + width));
    return write;
}

bool chipDataHeaderIsSound(const ByteVector& report) {
    static const ByteVector fixed{0x00, 0x00, 0x00, 0x01};  // bytes 3 to 6
    return report.size() > kChipDataHeaderSize && report[0] == kChipDataReportId &&
           std::equal(fixed.begin(), fixed.end(), report.begin() + 3);
}

std::uint16_t chipDataOffset(const ByteVector& report) {
    return static_cast<std::uint16_t>(littleEndian(report.data() + 1, 2));
}

}  // namespace zeltor
