#include "sim/devices/device_error_log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace zeltor {

void DeviceErrorLog::record(const char* source, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    entries_.push_back(std::string(source) + ": " + text);
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

}  // namespace zeltor
