#include "sim/devices/report_bytes.h"

#include <algorithm>
#include <cstdio>

namespace zeltor {

bool beginsWith(const ByteVector& report, const ByteVector& prefix) {
    return report.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), report.begin());
}

std::uint32_t littleEndian(const std::uint8_t* bytes, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

std::string hexBytes(const ByteVector& bytes, std::size_t count) {
    std::string text;
    char byte[4];
    for (std::size_t i = 0; i < std::min(count, bytes.size()); ++i) {
        std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : " %02x", bytes[i]);
        text += byte;
    }
    return text;
}

ByteVector oldFirmwarePattern(std::size_t size, std::uint8_t seed) {
    ByteVector bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed ^ (i * 29) ^ (i >> 8));
    }
    return bytes;
}

}  // namespace zeltor
