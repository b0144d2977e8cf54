#include "sim/devices/avnera_report.h"

#include <algorithm>

#include "protocol/avnera_plan.h"

namespace zeltor {

std::optional<AvneraParameterWriteFields> parseAvneraParameterWrite(const ByteVector& report) {
    constexpr std::size_t kHeader = 11;
    if (report.size() < kHeader || report[1] <= 9) {
        return std::nullopt;
    }
    const int width = report[1] - 9;
    if (report.size() < kHeader + width) {
        return std::nullopt;
    }
    AvneraParameterWriteFields fields;
    fields.address = static_cast<std::uint16_t>(littleEndian(report.data() + 9, 2));
    fields.byte8 = report[8];
    // The header is the one the plan writes, but for byte 8.
    ByteVector expected = avneraParameterWrite(fields.address, 0, width);
    expected[8] = fields.byte8;
    if (!std::equal(expected.begin(), expected.begin() + kHeader, report.begin())) {
        return std::nullopt;
    }
    fields.value.assign(report.begin() + kHeader, report.begin() + kHeader + width);
    return fields;
}

bool beginsWith(const ByteVector& report, const ByteVector& prefix) {
    return report.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), report.begin());
}

std::uint32_t littleEndian(const std::uint8_t* bytes, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

}  // namespace zeltor
