#include "protocol/mcu_commands.h"

#include "protocol/mcu_plan.h"

namespace zeltor {

ByteVector mcuVersionRequest() {
    return {kMCUReportId, 0x88, 0x07, 0x00};
}

ByteVector mcuUpdateModeCommand() {
    return {kMCUReportId, 0x88, 0x01};
}

std::optional<std::uint8_t> parseMCUVersion(const ByteVector& answer) {
    if (answer.size() < 5 || answer[0] != kMCUReportId || answer[1] != 0x88 || answer[2] != 0x07) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>((answer[4] >> 4) * 10 + (answer[4] & 0x0F));
}

}  // namespace zeltor
