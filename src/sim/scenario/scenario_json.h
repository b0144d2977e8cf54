#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "sim/scenario/scenario.h"

namespace zeltor {

// Reads a scenario from its JSON text (comments allowed). `source` names the text in messages.
// On failure `error` says where: "<source>:<line>:<column>: ..." for text that is not JSON,
// "<source>: faults[2].action: ..." for a value the scenario cannot take; `scenario` is then
// left as it was.
bool parseScenario(std::string_view text, const std::string& source, SimScenario& scenario,
                   std::string& error);

bool loadScenarioFile(const std::filesystem::path& path, SimScenario& scenario, std::string& error);

}  // namespace zeltor
