#pragma once

#include <cstdint>

namespace zeltor {

// The program in a terminal: parses the switches, takes the single-instance lock, builds the
// devices (simulated with /SIMULATE) and runs the update. Returns the exit code.
int runConsoleApplication(std::uint32_t count, const char* const* arguments);

}  // namespace zeltor
