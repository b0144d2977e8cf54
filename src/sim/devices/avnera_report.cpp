#include "sim/devices/avnera_report.h"

#include <algorithm>

#include "protocol/avnera_plan.h"
#include "sim/devices/report_bytes.h"

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

}  // namespace zeltor
