#include "protocol/avnera_commands.h"

#include "base/text.h"
#include "protocol/avnera_plan.h"

namespace zeltor {
namespace {

// The C library's string-to-integer reading of a two-character field: white space, a sign, digits.
std::uint8_t readTwoDigits(const ByteVector& bytes, std::size_t at) {
    std::size_t pos = at;
    const std::size_t end = at + 2;
    while (pos < end && isCSpace(static_cast<char>(bytes[pos]))) {
        ++pos;
    }
    bool negative = false;
    if (pos < end && (bytes[pos] == '+' || bytes[pos] == '-')) {
        negative = bytes[pos] == '-';
        ++pos;
    }
    int value = 0;
    for (; pos < end && bytes[pos] >= '0' && bytes[pos] <= '9'; ++pos) {
        value = value * 10 + (bytes[pos] - '0');
    }
    return static_cast<std::uint8_t>(negative ? -value : value);
}

}  // namespace

ByteVector avneraVersionRequest() {
    return {0xFF, 0x0A, 0x00, 0xFD, 0x04, 0x07, 0x00, 0x05, 0x03, 0x05, 0x00, 0x00};
}

ByteVector avneraBootloaderEntryCommand() {
    return {kAvneraCommandReportId, 0x02, 0x00, 0x0A};
}

ByteVector avneraPairingIdReport(std::uint32_t id, bool isDongle) {
    ByteVector report = avneraParameterWrite(0, id, 4);
    report[8] = isDongle ? kPairingSelectorDongle : kPairingSelectorHeadset;
    return report;
}

ByteVector avneraPairingConfirmReport() {
    return {kAvneraCommandReportId, 0x05, 0x00, 0x39};
}

std::optional<AvneraVersion> parseAvneraVersion(const ByteVector& answer) {
    if (answer.size() < 17 || answer[9] != 'T' || answer[11] != '.') {
        return std::nullopt;
    }
    return AvneraVersion{readTwoDigits(answer, 12), readTwoDigits(answer, 15)};
}

}  // namespace zeltor
