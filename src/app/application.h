#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/run_options.h"

namespace zeltor {

// A readable summary of the options a run will use, one switch per line.
std::string describeRunOptions(const RunOptions& options);

// The program's start: parses the arguments into g_RunOptions, opens the run's log in the folder
// `documentsFolder` names and reports the options on standard output. Returns the process exit
// code.
int runApplication(std::uint32_t count, const char* const* arguments,
                   const std::function<std::optional<std::string>()>& documentsFolder);

}  // namespace zeltor
