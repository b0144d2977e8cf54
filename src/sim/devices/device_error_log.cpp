#include "sim/devices/device_error_log.h"

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

}  // namespace zeltor
