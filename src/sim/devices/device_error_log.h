#pragma once

#include <string>
#include <vector>

#include "trace/trace_log.h"

namespace zeltor {

// What a simulated device found wrong in the reports it was sent, one readable line each,
// "<collection>: <what>". A device never takes a senseless report silently: it records it here,
// where tests and the run's verdict read it.
class DeviceErrorLog {
public:
    void record(const char* source, const char* format, ...) ZELTOR_PRINTF(3, 4);
    const std::vector<std::string>& entries() const { return entries_; }

private:
    std::vector<std::string> entries_;
};

}  // namespace zeltor
